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

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How many bytes of `path` name its drive: 2 for "C:", none otherwise.
std::size_t DriveLength(const std::string& path) {
  const bool letter =
      !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t drive = DriveLength(path);
  std::size_t end = path.size();
  while (end > drive + 1 && IsSeparator(path[end - 1])) --end;
  std::size_t separator = end;
  while (separator > drive && !IsSeparator(path[separator - 1])) --separator;
  if (separator == drive)  // a plain name, on its drive if it names one
    return path.substr(0, drive);
  std::size_t folderEnd = separator - 1;
  while (folderEnd > drive && IsSeparator(path[folderEnd - 1])) --folderEnd;
  return folderEnd == drive ? path.substr(0, drive + 1) : path.substr(0, folderEnd);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  const bool ends = IsSeparator(folder.back()) || folder.size() == DriveLength(folder);
  return ends ? folder + name : folder + "\\" + name;
}

bool IsRelativePath(const std::string& path) {
  return DriveLength(path) == 0 && (path.empty() || !IsSeparator(path[0]));
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
