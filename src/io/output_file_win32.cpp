#include "io/output_file.h"

#include <windows.h>

#include "io/interrupt_cleanup.h"
#include "io/temporary_name.h"

namespace typekiln {

namespace {

// A random name is tried again only when a file of that name exists; this many collisions in a
// row means something other than chance is at work.
constexpr int kNameAttempts = 100;

// Where the file's own name begins in `path`: after its last \ or /, or after a drive's "C:".
std::size_t NameStart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos)
    return separator + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

bool OutputFile::Create(const std::string& path) {
  Discard();
  failed_ = false;
  const std::size_t nameStart = NameStart(path);
  if (nameStart == path.size())  // nothing, a folder ("out\") or a drive ("C:")
    return false;

  // What stands at the path: a device (NUL, CON) or a pipe is written straight into; a file must
  // be writable, since replacing it would get round its read-only mark (which an administrator's
  // open would not heed); otherwise only a path with no file at its end can be created.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return false;
  const HANDLE existing = CreateFileA(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    if (GetFileType(existing) != FILE_TYPE_DISK) {
      file_.Adopt(reinterpret_cast<std::intptr_t>(existing));
      return true;
    }
    CloseHandle(existing);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }

  const std::string folder = path.substr(0, nameStart);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temporary = folder + RandomTemporaryName();
    const InterruptsHeld held;
    const int entry = TrackForRemoval(temporary, false);
    if (entry == kNotTracked)
      return false;
    if (file_.CreateNew(temporary)) {
      name_ = path;
      temporary_ = temporary;
      cleanup_ = entry;
      return true;
    }
    const DWORD error = GetLastError();
    StopTracking(entry);
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return false;
  }
  return false;
}

bool OutputFile::PutInPlace() {
  // Written through: the new name is on the disk when the move returns.
  const InterruptsHeld held;
  if (MoveFileExA(temporary_.c_str(), name_.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
    return false;
  StopTracking(cleanup_);
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    const InterruptsHeld held;
    DeleteFileA(temporary_.c_str());
    StopTracking(cleanup_);
    temporary_.clear();
  }
}

}  // namespace typekiln
