#pragma once

// Owner of one operating-system file handle, with raw unbuffered reads and writes: every call is
// one transfer (retried only where the system moved fewer bytes than asked). Nothing here
// prints; each operation tells its caller whether it worked, and the caller reports.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace typekiln {

class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  BinaryFile(BinaryFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
  BinaryFile& operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kNoHandle);
    }
    return *this;
  }

  /// Closes any open file, then opens an existing file for reading. A folder is not a file.
  bool OpenRead(const std::string& path);
  /// Closes any open file, then opens an existing regular file for reading, at once whatever the
  /// path names: a FIFO, a device or a folder is NotRegular (and left closed), never waited on.
  enum class RegularOpen { Opened, CannotOpen, NotRegular };
  RegularOpen OpenRegularRead(const std::string& path);
  /// Closes any open file, then creates a file that must not exist yet, for writing.
  bool CreateNew(const std::string& path);
  /// Closes any open file, then takes over `handle`, a file the system opened for the caller,
  /// to read, write and close as any other.
  void Adopt(std::intptr_t handle);
  /// Closes the file if one is open. False when the system reports that closing failed (data
  /// may not have reached the file).
  bool Close();
  bool IsOpen() const { return handle_ != kNoHandle; }

  /// Reads exactly `count` bytes; false on a read error or when the file ends first (the bytes
  /// that did arrive are in `buffer`).
  bool Read(void* buffer, std::size_t count);
  /// Reads exactly `count` bytes from `offset` bytes into the file, wherever the current
  /// position is, and leaves that position alone; false as `Read` is. Any number of readers may
  /// share the file this way.
  bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;
  /// Writes all `count` bytes; false when the system would not take them all.
  bool Write(const void* buffer, std::size_t count);
  /// Makes every byte written so far durable: it is on the disk when this returns. A device or
  /// a pipe has nothing to keep and succeeds.
  bool Flush();
  /// The size of the open file in bytes, or -1 when it cannot be told. Devices and pipes have
  /// no size of their own and report 0.
  std::int64_t Size();
  /// `distance` >= 0: moves to that offset from the start; < 0: that far back from the end.
  bool Seek(std::int64_t distance);

 private:
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;

  bool Open(const std::string& path, int flags);

  Handle handle_ = kNoHandle;
};

/// True when a file that starts with `signature` may take the place of what stands at `path`:
/// nothing, an empty file, a file that starts with it too, or a device or FIFO, which is written
/// into. False for any other file, someone's work, and for one that cannot be read to tell.
bool MayTakePlaceOf(const std::string& path, std::string_view signature);

enum class WholeFileRead { Read, CannotOpen, CannotRead, TooLarge, NotRegular };

/// Reads the whole file at `path` into `bytes`, when it can be opened (a path holding a NUL
/// byte cannot) and is at most `limit` bytes long; with `regularOnly`, when it is a regular file
/// (OpenRegularRead), and anything else is NotRegular.
WholeFileRead ReadWholeFile(const std::string& path, std::int64_t limit,
                            std::vector<std::uint8_t>& bytes, bool regularOnly = false);

}  // namespace typekiln
