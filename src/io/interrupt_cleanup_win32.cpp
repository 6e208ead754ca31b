#include "io/interrupt_cleanup.h"

#include <windows.h>

#include <mutex>

namespace typekiln {

namespace {

constexpr int kEntries = 16;

// The console calls its control handler on a thread of its own while the tool goes on. The table
// changes only under the lock, which the handler takes and never gives back: nothing is put in
// place, and no entry made, once it runs.
struct Entry {
  bool used = false;
  bool isFolder = false;
  std::string path;
};
std::recursive_mutex gLock;
Entry gEntries[kEntries];

BOOL WINAPI RemoveAndEnd(DWORD) {
  gLock.lock();
  // A file still open is shared for deletion: it goes as soon as the process ends.
  for (const Entry& entry : gEntries)
    if (entry.used && !entry.isFolder)
      DeleteFileA(entry.path.c_str());
  for (const Entry& entry : gEntries)
    if (entry.used && entry.isFolder)
      RemoveDirectoryA(entry.path.c_str());
  // Ends the process as the system's own handler does, with the status that tells a build it
  // was interrupted, and at once, as a signal ends it on POSIX systems: the tool's thread must
  // not go on to report what it can no longer write.
  TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  return TRUE;
}

void InstallHandler() {
  static const bool installed = SetConsoleCtrlHandler(RemoveAndEnd, TRUE) != 0;
  (void)installed;
}

}  // namespace

InterruptsHeld::InterruptsHeld() { gLock.lock(); }

InterruptsHeld::~InterruptsHeld() { gLock.unlock(); }

int TrackForRemoval(const std::string& name, bool isFolder, std::intptr_t folder) {
  InstallHandler();
  if (name.empty() || folder != kFromCurrentFolder)
    return kNotTracked;
  for (int i = 0; i < kEntries; ++i) {
    if (!gEntries[i].used) {
      gEntries[i] = {true, isFolder, name};
      return i;
    }
  }
  return kNotTracked;
}

void StopTracking(int entry) {
  if (entry >= 0 && entry < kEntries)
    gEntries[entry].used = false;
}

}  // namespace typekiln
