#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/file_system.h"

namespace typekiln {

namespace {

constexpr mode_t kNewFolderMode = 0777;  // narrowed by the user's umask

}  // namespace

PathEntry LookAtPath(const std::string& path, bool followLink) {
  struct stat info {};
  const int looked = followLink ? stat(path.c_str(), &info) : lstat(path.c_str(), &info);
  if (looked != 0)
    return {errno == ENOENT ? EntryKind::Missing : EntryKind::Unreachable, false};
  if (S_ISDIR(info.st_mode))
    return {EntryKind::Folder, false};
  if (!S_ISREG(info.st_mode))
    return {EntryKind::Other, false};
  return {EntryKind::File, access(path.c_str(), W_OK) == 0};
}

std::string FolderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  const std::size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos || end == 0)
    return {};
  std::size_t folderEnd = slash;
  while (folderEnd > 0 && path[folderEnd - 1] == '/') --folderEnd;
  return folderEnd == 0 ? "/" : path.substr(0, folderEnd);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsRelativePath(const std::string& path) { return path.empty() || path[0] != '/'; }

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), kNewFolderMode) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveEmptyFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool MoveToFreeName(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  // A file system that cannot refuse to replace in the same step: the name is looked at first.
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  return LookAtPath(to, false).kind == EntryKind::Missing && rename(from.c_str(), to.c_str()) == 0;
}

void KeepPermissions(const std::string& model, const std::string& file) {
  struct stat info {};
  if (stat(model.c_str(), &info) == 0 && info.st_uid == geteuid())
    chmod(file.c_str(), info.st_mode & 07777);
}

bool SyncFolder(const std::string& path) {
  const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0)
    return errno == EACCES;  // a folder that may be written but not listed cannot be flushed
  // EINVAL: a file system that cannot synchronise a folder.
  const bool synced = fsync(folder) == 0 || errno == EINVAL;
  close(folder);
  return synced;
}

}  // namespace typekiln
