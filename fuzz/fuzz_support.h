#pragma once

// What the fuzz targets share: the entry point, pictures held in memory files, which every LoadTGA
// of a fuzzed script opens, and a check of the font a build state makes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "script/command_table.h"
#include "state/build_state.h"

namespace typekiln::fuzz {

/// Inputs larger than this are skipped: one huge input must not starve a run.
inline constexpr std::size_t kMaxInput = 1 << 20;
/// What a target does with one input of at most kMaxInput bytes; each target defines it, and
/// the entry point libFuzzer calls (fuzz_entry.cpp) skips larger inputs before calling it.
void FuzzOne(const std::uint8_t* data, std::size_t size);
/// Pictures that claim more pixels than this are skipped, for the same reason: a run-length
/// encoded picture of 1 MiB can claim 26 million pixels, and 256 glyphs may each copy all of it.
inline constexpr std::int64_t kMaxPixels = 1 << 18;

/// Where every LoadTGA of a fuzzed script finds the target's picture.
inline constexpr int kPictureDescriptor = 1000;
inline constexpr char kPicturePath[] = "/proc/self/fd/1000";
/// Where a second picture is, when a target has two.
inline constexpr int kSecondPictureDescriptor = 1001;
inline constexpr char kSecondPicturePath[] = "/proc/self/fd/1001";

/// The target's picture: a file in memory, without a name on disk, open as kPicturePath (or the
/// descriptor given) for as long as it lives. One at a time for each descriptor.
class MemoryFile {
 public:
  explicit MemoryFile(std::span<const std::uint8_t> bytes, int descriptor = kPictureDescriptor);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

 private:
  int descriptor_;
};

/// False for a picture whose header (a TGA's, or a PNG's) claims more than kMaxPixels.
bool PictureIsSmallEnough(std::span<const std::uint8_t> picture);

/// Loads the picture in kPicturePath into `state` through the tool's loader, grabs from it in
/// bands of several heights, from inside the picture and outside it, and checks the font.
void LoadGrabAndCheck(BuildState& state);

/// LoadTGA as the fuzz targets run it: opening kPicturePath whatever path its line names, so that
/// no script can reach the disk; a LoadTGA without a path still fails as it would.
void LoadFuzzPicture(BuildState& state, Console& console, const ScriptLine& line);

/// Runs the script's bytes on `state` through the tool's script reader and commands, but for
/// LoadTGA, which `loadTga` runs. True when no error was reported.
bool RunScriptBytes(BuildState& state, std::span<const std::uint8_t> script,
                    CommandHandler loadTga = LoadFuzzPicture);

/// Writes the font to /dev/null through the tool's writer, then lays it out in memory and reads
/// it back; aborts when a font whose glyphs fit their one-byte fields does not read back clean.
void WriteAndCheckFont(BuildState& state);

/// The font's bytes as laid out in memory, or nothing when it is larger than a check holds.
std::vector<std::uint8_t> FontBytes(const BuildState& state);

}  // namespace typekiln::fuzz
