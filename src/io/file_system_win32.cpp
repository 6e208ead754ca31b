#include "io/file_system.h"

#include <windows.h>

namespace typekiln {

PathEntry LookAtPath(const std::string& path, bool followLink) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::Missing
                                                                           : EntryKind::Unreachable,
            false};
  }
  if (!followLink && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return {EntryKind::Other, false};
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {EntryKind::Folder, false};
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    return {EntryKind::Other, false};
  return {EntryKind::File, (attributes & FILE_ATTRIBUTE_READONLY) == 0};
}

bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool MoveToFreeName(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when anything stands at `to`; written
  // through, it is on the disk when it returns.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

void KeepPermissions(const std::string&, const std::string&) {}

bool SyncFolder(const std::string&) { return true; }

}  // namespace typekiln
