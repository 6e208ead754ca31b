#include "io/interrupt_cleanup.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace typekiln {

namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
constexpr int kEntries = 16;

// The handler does only what is safe in a signal handler: it reads this table and unlinks the
// names in it.
struct Entry {
  volatile sig_atomic_t used = 0;
  bool isFolder = false;
  int folder = AT_FDCWD;
  char name[PATH_MAX] = {};
};
Entry gEntries[kEntries];

void RemoveEntered(bool folders) {
  for (const Entry& entry : gEntries) {
    if (entry.used != 0 && entry.isFolder == folders)
      unlinkat(entry.folder, entry.name, folders ? AT_REMOVEDIR : 0);
  }
}

void RemoveAndEnd(int signal) {
  RemoveEntered(false);
  RemoveEntered(true);
  // The signal is blocked while its handler runs: raised again with its default action, it ends
  // the process as soon as the handler returns, as if there had been no handler.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

sigset_t CleanupSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : kCleanupSignals) sigaddset(&signals, signal);
  return signals;
}

void InstallHandler() {
  static const bool installed = [] {
    for (int signal : kCleanupSignals) {
      // A signal ignored by whoever started the tool (nohup) stays ignored, and one that the
      // program handles itself stays its own.
      struct sigaction current {};
      if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
        continue;
      struct sigaction action {};
      action.sa_handler = RemoveAndEnd;
      action.sa_mask = CleanupSignals();
      sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
}

// Holds nest: only the outermost one blocks and unblocks.
int gHolds = 0;
sigset_t gSavedMask;

}  // namespace

InterruptsHeld::InterruptsHeld() {
  if (gHolds++ > 0)
    return;
  const sigset_t signals = CleanupSignals();
  sigprocmask(SIG_BLOCK, &signals, &gSavedMask);
}

InterruptsHeld::~InterruptsHeld() {
  if (--gHolds == 0)
    sigprocmask(SIG_SETMASK, &gSavedMask, nullptr);
}

int TrackForRemoval(const std::string& name, bool isFolder, std::intptr_t folder) {
  InstallHandler();
  if (name.empty() || name.size() >= PATH_MAX)
    return kNotTracked;
  for (int i = 0; i < kEntries; ++i) {
    Entry& entry = gEntries[i];
    if (entry.used != 0)
      continue;
    entry.isFolder = isFolder;
    entry.folder = folder == kFromCurrentFolder ? AT_FDCWD : static_cast<int>(folder);
    std::memcpy(entry.name, name.c_str(), name.size() + 1);
    entry.used = 1;
    return i;
  }
  return kNotTracked;
}

void StopTracking(int entry) {
  if (entry >= 0 && entry < kEntries)
    gEntries[entry].used = 0;
}

}  // namespace typekiln
