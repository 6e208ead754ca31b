#include "io/binary_file.h"

#include <windows.h>

#include <algorithm>

namespace typekiln {

namespace {

// What Open is asked for; the values stand for a CreateFileA disposition and access.
enum OpenMode : int { kOpenRead, kCreateNew };

// One ReadFile or WriteFile moves at most a DWORD of bytes; larger transfers go in pieces.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Repeats `transfer` until all `count` bytes have moved. False on an error or when nothing more
// moves (the end of the file, or a pipe closed at its other end).
template <typename Byte, typename Transfer>
bool TransferAll(Byte* at, std::size_t count, Transfer transfer) {
  while (count > 0) {
    const DWORD asked = static_cast<DWORD>(std::min(count, kMostPerCall));
    DWORD moved = 0;
    if (!transfer(at, asked, &moved) || moved == 0)
      return false;
    at += moved;
    count -= moved;
  }
  return true;
}

bool ReadAll(HANDLE handle, void* buffer, std::size_t count) {
  return TransferAll(static_cast<unsigned char*>(buffer), count,
                     [handle](unsigned char* at, DWORD asked, DWORD* moved) {
                       return ReadFile(handle, at, asked, moved, nullptr) != 0;
                     });
}

}  // namespace

bool BinaryFile::Open(const std::string& path, int flags) {
  Close();
  const DWORD access = flags == kOpenRead ? GENERIC_READ : GENERIC_WRITE;
  const DWORD disposition = flags == kOpenRead ? OPEN_EXISTING : CREATE_NEW;
  // Others may read, write and delete the file meanwhile, as on POSIX systems. A folder opens
  // only with FILE_FLAG_BACKUP_SEMANTICS, so it is never taken for a file.
  const HANDLE opened =
      CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE)
    return false;
  handle_ = reinterpret_cast<Handle>(opened);
  return true;
}

bool BinaryFile::OpenRead(const std::string& path) { return Open(path, kOpenRead); }

BinaryFile::RegularOpen BinaryFile::OpenRegularRead(const std::string& path) {
  if (!Open(path, kOpenRead))
    return RegularOpen::CannotOpen;
  // A device (NUL, CON, COM1) or a pipe is no file on a disk.
  if (GetFileType(AsHandle(handle_)) != FILE_TYPE_DISK) {
    Close();
    return RegularOpen::NotRegular;
  }
  return RegularOpen::Opened;
}

bool BinaryFile::CreateNew(const std::string& path) { return Open(path, kCreateNew); }

bool BinaryFile::Close() {
  if (handle_ == kNoHandle)
    return true;
  const HANDLE handle = AsHandle(handle_);
  handle_ = kNoHandle;
  return CloseHandle(handle) != 0;
}

bool BinaryFile::Read(void* buffer, std::size_t count) {
  return ReadAll(AsHandle(handle_), buffer, count);
}

bool BinaryFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  // A read at an offset moves the position of a file opened for plain reads, so the position is
  // put back afterwards.
  const HANDLE handle = AsHandle(handle_);
  LARGE_INTEGER position{};
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  if (offset < 0 || SetFilePointerEx(handle, LARGE_INTEGER{}, &position, FILE_CURRENT) == 0 ||
      SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) == 0)
    return false;
  const bool read = ReadAll(handle, buffer, count);
  return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) != 0 && read;
}

bool BinaryFile::Write(const void* buffer, std::size_t count) {
  const HANDLE handle = AsHandle(handle_);
  return TransferAll(static_cast<const unsigned char*>(buffer), count,
                     [handle](const unsigned char* at, DWORD asked, DWORD* moved) {
                       return WriteFile(handle, at, asked, moved, nullptr) != 0;
                     });
}

bool BinaryFile::Flush() {
  // A device such as NUL or CON, or a pipe, has nothing to keep.
  const HANDLE handle = AsHandle(handle_);
  return GetFileType(handle) != FILE_TYPE_DISK || FlushFileBuffers(handle) != 0;
}

std::int64_t BinaryFile::Size() {
  const HANDLE handle = AsHandle(handle_);
  if (GetFileType(handle) != FILE_TYPE_DISK)
    return 0;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(handle, &size) == 0)
    return -1;
  return size.QuadPart;
}

bool BinaryFile::Seek(std::int64_t distance) {
  LARGE_INTEGER move{};
  move.QuadPart = distance;
  return SetFilePointerEx(AsHandle(handle_), move, nullptr,
                          distance >= 0 ? FILE_BEGIN : FILE_END) != 0;
}

}  // namespace typekiln
