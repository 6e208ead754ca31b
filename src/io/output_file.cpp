#include "io/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace typekiln {

namespace {

constexpr int kTemporaryNameAttempts = 16;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

// The regular file a link finally names, or an empty text when it names none.
std::string LinkedRegularFile(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr)
    return {};
  std::string file(resolved);
  std::free(resolved);
  struct stat info {};
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return {};
  return file;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const std::string& path) {
  if (path.empty() || path.back() == '/')
    return false;
  target_ = path;
  struct stat info {};
  bool exists = lstat(path.c_str(), &info) == 0;
  if (exists && S_ISLNK(info.st_mode)) {
    target_ = LinkedRegularFile(path);
    if (target_.empty())
      return file_.CreateWrite(path);  // a device, or a link to nothing yet
    exists = stat(target_.c_str(), &info) == 0;
  }
  if (exists && !S_ISREG(info.st_mode))
    return file_.CreateWrite(path);
  // Replacing would get round a write-protected font; opening it for writing would not.
  if (exists && access(target_.c_str(), W_OK) != 0)
    return false;

  const std::string stem = FolderOf(target_) + "/.typekiln-" + std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::string name = stem + std::to_string(attempt) + ".tmp";
    if (file_.CreateNew(name)) {
      temporary_ = std::move(name);
      // The replacement keeps the old font's permissions.
      if (exists)
        chmod(temporary_.c_str(), info.st_mode & 07777);
      return true;
    }
  }
  return false;
}

void OutputFile::Write(const void* bytes, std::size_t count) {
  if (!failed_ && !file_.Write(bytes, count))
    failed_ = true;
}

bool OutputFile::Commit() {
  if (!file_.Close())
    failed_ = true;
  if (failed_ || temporary_.empty()) {
    Discard();
    return !failed_;
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  file_.Close();
  if (!temporary_.empty())
    unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace typekiln
