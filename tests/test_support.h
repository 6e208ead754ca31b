#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "report/console.h"
#include "state/build_state.h"

namespace typekiln::test {

using Bytes = std::vector<std::uint8_t>;

/// A Console on string streams. `in` holds what the waits after errors may read.
struct TestConsole {
  explicit TestConsole(std::string input = "") : in(std::move(input)) {}
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  Console streams{out, err, in};
};

/// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  /// The path of `name` inside the folder, as text.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

/// Bytes written out as hexadecimal pairs, blanks ignored: Hex("00 01 ff").
Bytes Hex(const std::string& text);
/// The bytes of a text, without its terminator.
Bytes BytesOf(const std::string& text);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
/// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

/// Runs `body` in a child process and returns its result there; a child that dies reports false.
/// With `unprivileged`, the child first gives up root (when it has it), so that file permissions
/// apply to it as to any user.
bool RunInChild(const std::function<bool()>& body, bool unprivileged = false);

/// A TGA file: the 18-byte header with these fields, then `body` as stored (identification,
/// colour map, pixel data). The descriptor 0x08 says bottom row first, as most writers do.
std::string TgaFile(int width, int height, const Bytes& body, std::uint8_t type = 2,
                    std::uint8_t descriptor = 0x08, std::uint8_t depth = 32,
                    std::uint8_t idLength = 0, std::uint16_t colourMapLength = 0,
                    std::uint8_t colourMapBits = 0);

/// A PNG file of `colourType` (0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA) and `depth`
/// bits a sample: `samples` holds each pixel's samples (an index for a palette), rows top first;
/// `palette` the PLTE chunk's RGB triples and `transparency` the tRNS chunk, when given; Adam7
/// interlaced with `interlaced`.
std::string PngFile(int width, int height, int colourType, int depth,
                    const std::vector<int>& samples, const Bytes& palette = {},
                    const Bytes& transparency = {}, bool interlaced = false);

struct Echoes {
  std::string out;
  std::string err;
};

/// Runs script lines, in order, on `state` through the tool's command table.
Echoes RunLines(BuildState& state, const std::vector<std::string>& lines);

/// True when the end-to-end tests run against the Windows tools under wine: the environment's
/// TYPEKILN_WINDOWS_TOOLS then names the folder of typekiln.exe and typekiln-inspect.exe.
bool WindowsTools();
/// The typekiln under test: this build's own, or typekiln.exe of the Windows tools.
std::string TypekilnBinary();
/// The typekiln-inspect under test, as TypekilnBinary.
std::string InspectBinary();
/// The typekiln-import under test, as TypekilnBinary, and this build's own for comparison.
std::string ImportBinary();
std::string LinuxImportBinary();

/// Ends the test as skipped when it runs against the Windows tools, for `reason`: what the test
/// needs that Windows lacks.
#define SKIP_ON_WINDOWS(reason)         \
  if (::typekiln::test::WindowsTools()) \
  GTEST_SKIP() << "Windows has " << reason

struct ToolRun {
  int status = -1;  ///< exit status, or -1 when the tool did not exit normally
  int signal = 0;   ///< the signal that ended the tool, or 0
  std::string out;
  std::string err;
};

/// Runs `binary` in `folder` with `args`, `input` as its standard input, and waits. With
/// `unprivileged`, the program runs as an ordinary user even when the tests run as root.
/// `setup`, when given, runs in the new process just before it becomes the program. A Windows
/// program (.exe) runs under wine; the lines it prints must end in CR LF, and come back ending
/// in LF alone, as the same program prints them on Linux.
ToolRun RunProgram(const std::string& binary, const std::filesystem::path& folder,
                   const std::vector<std::string>& args, const std::string& input,
                   bool unprivileged, const std::function<void()>& setup = {});

/// Runs the built typekiln. When a run with a script and an output writes a font, the font must
/// read back as the build state the same script leaves (ExpectScriptReadsBack).
ToolRun RunTypekiln(const std::filesystem::path& folder, const std::vector<std::string>& args,
                    const std::string& input = "", bool unprivileged = false);

/// Runs the built typekiln-inspect, its standard input empty.
ToolRun RunInspect(const std::filesystem::path& folder, const std::vector<std::string>& args);

/// A glyph at (x, y) of the given size whose coverage is `alphas`, zero-filled to width x height
/// and kept in the state's glyph store as a grab keeps it.
Glyph MakeGlyph(BuildState& state, int x, int y, int width, int height, int top,
                const Bytes& alphas = {});

/// What in the font does not read back as the build state it was written from, laid out by the
/// writer: every problem the reader finds, then any header field, table field or sample that
/// differs.
std::vector<std::string> ReadBackMismatches(const BuildState& state, const Bytes& font);

/// Fails the test unless `font` reads back as the build state that `script`, run in `folder`
/// (as an ordinary user with `unprivileged`), leaves.
void ExpectScriptReadsBack(const std::filesystem::path& folder, const std::string& script,
                           const Bytes& font, bool unprivileged = false);

}  // namespace typekiln::test
