#pragma once

// What an interrupted run leaves behind: nothing. The files and folders a tool makes for a
// moment (the temporary that becomes the font, the staging folder that becomes typekiln-import's
// set) are entered here while they exist. SIGINT, SIGTERM, SIGHUP and SIGXFSZ (on Windows
// Ctrl-C, Ctrl-Break, closing the console, logging off and shutting down) remove every name
// entered, files first and then folders, so that a folder emptied of its files goes too, and end
// the process as they otherwise would (on Windows with STATUS_CONTROL_C_EXIT).
//
// The table changes only while interrupts are held, so an interrupt never sees an entry half made,
// and a step taken under the hold together with the change to its entries (a rename that puts a
// file in place and the end of its entry) is, to an interrupt, either done or not begun.

#include <cstdint>
#include <string>

namespace typekiln {

/// Holds interrupts back for its lifetime; one that arrives meanwhile takes effect once the last
/// hold ends. On Windows, where the console's handler runs on a thread of its own, a hold taken
/// after an interrupt began waits until the process has ended.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

/// What TrackForRemoval returns when it cannot enter a name.
inline constexpr int kNotTracked = -1;
/// A `folder` for TrackForRemoval: `name` is a path, from the current folder when relative.
inline constexpr std::intptr_t kFromCurrentFolder = -1;

/// Enters `name` (a folder when `isFolder`) to be removed by an interrupt. `folder` is, on POSIX
/// systems, an open folder's descriptor that `name` is in, which must stay open while the entry
/// does; on Windows only kFromCurrentFolder is taken. Needs interrupts held. Returns the entry,
/// or kNotTracked when the table is full or the name too long.
int TrackForRemoval(const std::string& name, bool isFolder,
                    std::intptr_t folder = kFromCurrentFolder);

/// Ends the entry without removing anything; kNotTracked is let be. Needs interrupts held.
void StopTracking(int entry);

}  // namespace typekiln
