#pragma once

// Writes a file so that it is either complete or untouched. The bytes go into a temporary file
// in the target's own folder, which replaces the target only once every byte was written and the
// temporary closed without error. A target that exists and is not a regular file (a device such
// as /dev/null, a FIFO, a terminal) cannot be replaced that way and is written straight into. A
// symbolic link is followed: its target is the file replaced.

#include <cstddef>
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
  /// or not writable, or `path` is an existing file that is not writable.
  bool Create(const std::string& path);
  /// Appends bytes. After the first failure it writes nothing more, and Commit fails.
  void Write(const void* bytes, std::size_t count);
  /// Finishes the file. False when any write, the close or the replacement failed; the target
  /// is then left as it was (unless it is written straight into) and the temporary is gone.
  bool Commit();

 private:
  void Discard();

  BinaryFile file_;
  std::string target_;
  std::string temporary_;  // empty when writing straight into the target
  bool failed_ = false;
};

}  // namespace typekiln
