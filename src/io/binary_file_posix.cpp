#include "io/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace typekiln {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask

// Repeats `transfer` until all `count` bytes have moved: the system may move fewer than asked
// (a signal, a pipe). False on an error or when nothing more moves (the end of the file).
template <typename Byte, typename Transfer>
bool TransferAll(Byte* at, std::size_t count, Transfer transfer) {
  while (count > 0) {
    const ssize_t moved = transfer(at, count);
    if (moved < 0 && errno == EINTR)
      continue;
    if (moved <= 0)
      return false;
    at += moved;
    count -= static_cast<std::size_t>(moved);
  }
  return true;
}

}  // namespace

bool BinaryFile::Open(const std::string& path, int flags) {
  Close();
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return false;
  handle_ = fd;
  return true;
}

bool BinaryFile::OpenRead(const std::string& path) {
  if (!Open(path, O_RDONLY))
    return false;
  struct stat info {};
  if (fstat(static_cast<int>(handle_), &info) != 0 || S_ISDIR(info.st_mode)) {
    Close();
    return false;
  }
  return true;
}

BinaryFile::RegularOpen BinaryFile::OpenRegularRead(const std::string& path) {
  Close();
  // Without waiting: opening a FIFO for reading would wait for a writer, and a terminal could
  // become the process's own. What is opened is looked at before a byte is read.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return RegularOpen::CannotOpen;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return RegularOpen::NotRegular;
  }
  handle_ = fd;
  return RegularOpen::Opened;
}

// Write-only: nothing reads the file back, and a FIFO opened for reading too would accept the
// whole file with no reader there and then block for ever.
bool BinaryFile::CreateNew(const std::string& path) {
  return Open(path, O_WRONLY | O_CREAT | O_EXCL);
}

bool BinaryFile::Close() {
  if (handle_ == kNoHandle)
    return true;
  const int fd = static_cast<int>(handle_);
  handle_ = kNoHandle;
  // Never retried: after an interrupted close the descriptor is already gone on Linux.
  return ::close(fd) == 0;
}

bool BinaryFile::Read(void* buffer, std::size_t count) {
  const int fd = static_cast<int>(handle_);
  return TransferAll(static_cast<unsigned char*>(buffer), count,
                     [fd](unsigned char* at, std::size_t n) { return ::read(fd, at, n); });
}

bool BinaryFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  const int fd = static_cast<int>(handle_);
  return offset >= 0 && TransferAll(static_cast<unsigned char*>(buffer), count,
                                    [fd, &offset](unsigned char* at, std::size_t n) {
                                      const ssize_t moved =
                                          ::pread(fd, at, n, static_cast<off_t>(offset));
                                      offset += moved > 0 ? moved : 0;
                                      return moved;
                                    });
}

bool BinaryFile::Write(const void* buffer, std::size_t count) {
  const int fd = static_cast<int>(handle_);
  return TransferAll(static_cast<const unsigned char*>(buffer), count,
                     [fd](const unsigned char* at, std::size_t n) { return ::write(fd, at, n); });
}

bool BinaryFile::Flush() {
  // EINVAL and EROFS: a file of a kind that cannot be synchronised, such as a pipe or a device.
  return ::fsync(static_cast<int>(handle_)) == 0 || errno == EINVAL || errno == EROFS;
}

std::int64_t BinaryFile::Size() {
  struct stat info {};
  if (fstat(static_cast<int>(handle_), &info) != 0)
    return -1;
  return info.st_size;
}

bool BinaryFile::Seek(std::int64_t distance) {
  const int whence = distance >= 0 ? SEEK_SET : SEEK_END;
  return ::lseek(static_cast<int>(handle_), distance, whence) >= 0;
}

}  // namespace typekiln
