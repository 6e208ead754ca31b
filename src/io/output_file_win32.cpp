#include "io/output_file.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <iterator>
#include <mutex>

#include "io/temporary_name.h"

namespace typekiln {

namespace {

// A random name is tried again only when a file of that name exists; this many collisions in a
// row means something other than chance is at work.
constexpr int kNameAttempts = 100;

// ---- Temporaries removed when the console asks the tool to stop
//
// The console calls its control handler on a thread of its own while the tool goes on writing.
// The table and the stop mark change only under the lock, so a temporary is either removed by
// the handler or put in place by Commit, never both, and none is made after the stop.
// Ctrl-C, Ctrl-Break, closing the console, logging off and shutting down all end the tool.

struct Pending {
  bool used = false;
  std::string path;
};
std::mutex gLock;
Pending gPending[8];
bool gStopping = false;

BOOL WINAPI RemoveTemporariesAndStop(DWORD) {
  gLock.lock();  // held to the end: nothing is put in place after this
  gStopping = true;
  // A temporary still open is shared for deletion: it goes as soon as the process ends.
  for (Pending& pending : gPending) {
    if (pending.used)
      DeleteFileA(pending.path.c_str());
  }
  // Ends the process as the system's own handler does, with the status that tells a build it
  // was interrupted, and at once, as a signal ends it on POSIX systems: the tool's thread must
  // not go on to report the font it can no longer write.
  TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  return TRUE;
}

void InstallCleanup() {
  static const bool installed = SetConsoleCtrlHandler(RemoveTemporariesAndStop, TRUE) != 0;
  (void)installed;
}

// ---- Names

std::string RandomName() {
  unsigned char noise[kTemporaryNoise];
  if (!BCRYPT_SUCCESS(
          BCryptGenRandom(nullptr, noise, sizeof noise, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // No randomness from the system: the clock still gives names that differ from run to run,
    // and a name that is taken is only tried again.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.QuadPart) ^
                        (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
    for (unsigned char& byte : noise) {
      mix = mix * 6364136223846793005u + 1442695040888963407u;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  return TemporaryName(noise);
}

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

  InstallCleanup();
  const std::string folder = path.substr(0, nameStart);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temporary = folder + RandomName();
    const std::lock_guard<std::mutex> held(gLock);
    Pending* const slot = std::find_if(std::begin(gPending), std::end(gPending),
                                       [](const Pending& pending) { return !pending.used; });
    if (gStopping || slot == std::end(gPending))
      return false;
    if (file_.CreateNew(temporary)) {
      *slot = {true, temporary};
      name_ = path;
      temporary_ = temporary;
      cleanup_ = static_cast<int>(slot - gPending);
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return false;
  }
  return false;
}

bool OutputFile::PutInPlace() {
  // Written through: the new name is on the disk when the move returns.
  const std::lock_guard<std::mutex> held(gLock);
  if (gStopping || MoveFileExA(temporary_.c_str(), name_.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0)
    return false;
  gPending[cleanup_].used = false;
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    const std::lock_guard<std::mutex> held(gLock);
    DeleteFileA(temporary_.c_str());
    gPending[cleanup_].used = false;
    temporary_.clear();
  }
}

}  // namespace typekiln
