#pragma once

// Writes a file so that it is either complete or untouched, as trusted writers (editors, git's
// lock files) do. The bytes go into a temporary file with a random name in the target's own
// folder. Once every byte was written, the temporary is flushed to the disk, takes the target's
// place in one step, and the folder is flushed too, so that the new name survives a power cut.
// A target that exists and is not a regular file (a device such as /dev/null or NUL, a FIFO, a
// terminal) cannot be replaced that way and is written straight into.
//
// On POSIX systems, a symbolic link at the target is followed and the file it names replaced,
// except where the system's protected-symlinks rule would refuse to follow it: in a sticky folder
// that everyone may write to (/tmp), a link that belongs neither to the caller nor to the folder's
// owner may have been planted there to redirect the output, and nothing is created. Links are read
// and checked through the opened folder that holds them, so no name can be swapped in between.
//
// The replacement keeps the old file's permissions when the old file is the caller's own;
// otherwise it gets the permissions of any new file under the caller's umask.
//
// While a temporary exists, SIGINT, SIGTERM, SIGHUP and SIGXFSZ remove it before they end the
// process as they otherwise would; on Windows, so do Ctrl-C, Ctrl-Break and closing the console.
// There the replacement gets the permissions of any new file in its folder, and the target's
// folder needs no flush: the move is written through.

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/binary_file.h"

namespace typekiln {

class OutputFile {
 public:
  OutputFile() = default;
  /// Removes the temporary file unless Commit put it in place.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Prepares to write `path`. False when nothing can be created there: the folder is missing
  /// or not writable, `path` is an existing file that is not writable, or a link that may not
  /// be followed.
  bool Create(const std::string& path);
  /// Appends bytes. After the first failure it writes nothing more, and Commit fails.
  void Write(const void* bytes, std::size_t count);
  /// Finishes the file. False when any write, the flush, the close or the replacement failed;
  /// the target is then left as it was (unless it is written straight into) and the temporary
  /// is gone. Also false when the folder could not be flushed after the replacement: the new
  /// file is in place then, but may not survive a power cut.
  bool Commit();

 private:
  /// Puts the complete, flushed and closed temporary in the target's place; false when it is
  /// not there, or may not survive a power cut. Clears `temporary_` once it is there.
  bool PutInPlace();
  /// Closes the file and removes the temporary, if any.
  void Discard();

  BinaryFile file_;
  std::intptr_t folder_ = -1;  // POSIX: the opened folder that holds the target, while writing
  std::string name_;           // the target's name in that folder (Windows: the target's path)
  std::string temporary_;      // the temporary's name there (Windows: path); empty when writing
                               // straight in
  int cleanup_ = -1;           // its place among the temporaries a signal removes
  bool failed_ = false;
};

}  // namespace typekiln
