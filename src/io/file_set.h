#pragma once

// Writes a set of files into one folder so that they change together: a failure at any step, or
// an interrupt at any moment, leaves every file of the set as it was or every file new, and no
// temporary behind.
//
// Each file is written whole into a staging folder with a random name and flushed to the disk
// before any takes its place (an interrupt waits while a file is being written, so that it finds
// each file closed):
// - A folder that does not exist yet is the staging folder itself, made beside it and given its
//   name in one step once complete.
// - In a folder that exists, the staging folder is made inside it, and the files take their
//   places while interrupts are held: each old file moves into the staging folder and the new one
//   out into its place; when a move fails, the moves before it are undone. The staging folder
//   then goes, with the old files.
//
// What remains possible: SIGKILL or a power cut can leave the staging folder behind (a hidden
// folder named .typekiln-*.tmp, beside a new folder or inside an existing one), with the set
// whole, old or new; in an existing folder, one that comes in the instant the files move (a few
// system calls) can leave some files new and others old or missing, the old ones then in the
// staging folder.
//
// Only regular files are replaced, and only writable ones: a name that holds anything else (a
// folder, a link, a FIFO, a device) stops the write before anything is written.

#include <cstdint>
#include <span>
#include <string>

#include "report/failure.h"

namespace typekiln {

struct FileSetPiece {
  std::string name;  // a plain name in the folder
  std::span<const std::uint8_t> bytes;
};

/// Writes `pieces` into `folder` as one set, making the folder when it does not exist (its
/// parent must). Files of the set that exist are replaced only when `replace` is set. A failure
/// names the path it concerns: the folder, or the file that exists, is no regular file, is
/// read-only, or cannot be created, written or put in place; when the old files could not all
/// be put back, the staging folder that holds them.
Failure WriteFileSet(const std::string& folder, std::span<const FileSetPiece> pieces, bool replace);

}  // namespace typekiln
