#pragma once

// What tells two names of one file apart from two files: the volume the file lies on and its
// number there (the device and inode on POSIX systems; the volume serial number and file index
// on Windows). Links and other spellings of a path lead to the same identity.

#include <cstdint>
#include <optional>
#include <string>

namespace typekiln {

struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// The identity of the regular file at `path`; none for a path that names nothing yet, a
/// folder, a device or a pipe.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

/// True when writing `output` would replace the very file at `input` (the same regular file,
/// whatever names and links lead to it). A device or a pipe is written into, never replaced.
inline bool WritesOver(const std::string& output, const std::string& input) {
  const std::optional<FileIdentity> written = IdentifyFile(output);
  return written && written == IdentifyFile(input);
}

}  // namespace typekiln
