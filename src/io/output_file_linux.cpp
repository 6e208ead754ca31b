#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

#include "io/interrupt_cleanup.h"
#include "io/output_file.h"
#include "io/temporary_name.h"

namespace typekiln {

namespace {

constexpr int kNoFolder = -1;
// As many links as the system itself follows in one path before it gives up.
constexpr int kMostLinks = 40;
// A random name is tried again only when a file of that name exists; this many collisions in a
// row means something other than chance is at work.
constexpr int kNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask

struct PathParts {
  std::string folder;
  std::string name;
};

// "a/b/c" is c in a/b, "c" is c in ".", "/c" is c in "/"; "a/" is a itself, ".".
PathParts Split(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return {".", path};
  std::string name = path.substr(slash + 1);
  return {slash == 0 ? "/" : path.substr(0, slash), name.empty() ? "." : std::move(name)};
}

// ---- Folders and links

int OpenFolder(int base, const std::string& folder) {
  const int opened = openat(base, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder the caller may write to and search but not list can still hold the file; opened
  // only as a place, it cannot be flushed.
  if (opened < 0 && errno == EACCES)
    return openat(base, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  return opened;
}

void CloseFolder(std::intptr_t& folder) {
  if (folder != kNoFolder)
    close(static_cast<int>(folder));
  folder = kNoFolder;
}

bool FlushFolder(int folder) {
  const int flags = fcntl(folder, F_GETFL);
  if (flags >= 0 && (flags & O_PATH) != 0)
    return true;
  // EINVAL: a file system that cannot synchronise a folder.
  return fsync(folder) == 0 || errno == EINVAL;
}

// The system's protected-symlinks rule: in a sticky folder that everyone may write to, only a
// link of the caller's own or of the folder's owner is followed.
bool MayFollow(int folder, uid_t linkOwner) {
  struct stat info {};
  if (fstat(folder, &info) != 0)
    return false;
  const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
  return !shared || linkOwner == geteuid() || linkOwner == info.st_uid;
}

// /proc, where the links stand for files that processes have open.
bool OnProcessFileSystem(int folder) {
  struct statfs system {};
  return fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

std::string LinkText(int folder, const std::string& name) {
  std::string text(PATH_MAX, '\0');
  const ssize_t length = readlinkat(folder, name.c_str(), text.data(), text.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= text.size())
    return {};
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// The entry that writing `path` replaces or writes into: the folder holding it (opened; the
// caller closes it), its name there and what stands there now (st_mode 0 when nothing does).
// Links at the end of the path are followed one by one, each checked before it is read. The
// folder is kNoFolder when the entry cannot be reached or a link may not be followed.
struct Entry {
  int folder = kNoFolder;
  std::string name;
  struct stat info {};
  bool throughOpenFile = false;  // through a link the system keeps for an open file
};

Entry FindEntry(const std::string& path) {
  PathParts parts = Split(path);
  Entry entry{OpenFolder(AT_FDCWD, parts.folder), std::move(parts.name), {}};
  for (int links = 0; entry.folder != kNoFolder; ++links) {
    if (fstatat(entry.folder, entry.name.c_str(), &entry.info, AT_SYMLINK_NOFOLLOW) != 0) {
      entry.info = {};
      if (errno == ENOENT)
        return entry;
      break;
    }
    if (!S_ISLNK(entry.info.st_mode))
      return entry;
    if (links == kMostLinks || !MayFollow(entry.folder, entry.info.st_uid))
      break;
    const std::string target = LinkText(entry.folder, entry.name);
    const bool openFile = OnProcessFileSystem(entry.folder);
    if (target.empty())
      break;
    parts = Split(target);
    const int next = OpenFolder(target[0] == '/' ? AT_FDCWD : entry.folder, parts.folder);
    close(entry.folder);
    entry.folder = next;
    entry.name = std::move(parts.name);
    entry.throughOpenFile = entry.throughOpenFile || openFile;
  }
  if (entry.folder != kNoFolder)
    close(entry.folder);
  entry.folder = kNoFolder;
  return entry;
}

// Opens a file that did not exist, under a random name in `folder`, and enters it among the
// names an interrupt removes. Returns the descriptor, or -1; `created` and `cleanup` are set only
// when it is.
int CreateTemporary(int folder, std::string& created, int& cleanup) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = RandomTemporaryName();
    const InterruptsHeld held;
    const int entry = TrackForRemoval(name, false, folder);
    if (entry == kNotTracked)
      return -1;
    int fd;
    do {
      fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      created = name;
      cleanup = entry;
      return fd;
    }
    StopTracking(entry);
    if (errno != EEXIST)
      return -1;
  }
  return -1;
}

}  // namespace

bool OutputFile::Create(const std::string& path) {
  Discard();
  failed_ = false;
  if (path.empty() || path.back() == '/')
    return false;
  Entry entry = FindEntry(path);
  if (entry.folder == kNoFolder)
    return false;
  folder_ = entry.folder;
  name_ = std::move(entry.name);
  const int folder = entry.folder;
  const mode_t mode = entry.info.st_mode;

  // The links the system keeps for open files (/proc/self/fd/1, which /dev/stdout names) may
  // hold no path to what they lead to ("pipe:[7]", a deleted file): when their text names
  // something other than what the system reaches through them, that is written straight into.
  // Only the caller's own open files are reached this way, through links checked above.
  struct stat reached {};
  const bool unnamed =
      entry.throughOpenFile && stat(path.c_str(), &reached) == 0 &&
      (mode == 0 || reached.st_dev != entry.info.st_dev || reached.st_ino != entry.info.st_ino);
  int fd = -1;
  if (unnamed || (mode != 0 && !S_ISREG(mode))) {
    do {
      fd = unnamed ? open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC)
                   : openat(folder, name_.c_str(),
                            O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    CloseFolder(folder_);  // nothing is renamed or flushed there
  } else if (mode == 0 || faccessat(folder, name_.c_str(), W_OK, 0) == 0) {
    // An existing file must be writable: replacing it would get round its write protection.
    fd = CreateTemporary(folder, temporary_, cleanup_);
    // Set on the open file, before any byte is in it: a name could have been swapped meanwhile.
    if (fd >= 0 && mode != 0 && entry.info.st_uid == geteuid())
      fchmod(fd, mode & 07777);
  }
  if (fd < 0) {
    Discard();
    return false;
  }
  file_.Adopt(fd);
  return true;
}

bool OutputFile::PutInPlace() {
  const int folder = static_cast<int>(folder_);
  {
    const InterruptsHeld held;
    if (renameat(folder, temporary_.c_str(), folder, name_.c_str()) == 0) {
      StopTracking(cleanup_);
      temporary_.clear();
    }
  }
  return temporary_.empty() && FlushFolder(folder);
}

void OutputFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    const InterruptsHeld held;
    unlinkat(static_cast<int>(folder_), temporary_.c_str(), 0);
    StopTracking(cleanup_);
    temporary_.clear();
  }
  CloseFolder(folder_);
}

}  // namespace typekiln
