#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "font/font_reader.h"
#include "font/font_writer.h"
#include "io/tga_picture.h"
#include "main/console.h"
#include "script/line_scanner.h"
#include "script/script_reader.h"

namespace typekiln::fuzz {

namespace {

// Fonts up to this size are also assembled in memory and read back.
constexpr std::uint64_t kMaxCheckedFont = 64 << 20;

std::string gPicturePath;

void LoadOwnPicture(BuildState& state, Console& console, const std::string& line) {
  LineScanner scanner(line);
  scanner.Word();
  // Whatever the line names, the target's picture is loaded; a line without a path goes to the
  // real handler, which reports it.
  HandleLoadTga(state, console, scanner.Word() ? "LoadTGA " + gPicturePath : line);
}

}  // namespace

MemoryFile::MemoryFile(std::span<const std::uint8_t> bytes) {
  fd_ = memfd_create("typekiln-fuzz", MFD_CLOEXEC);
  if (fd_ < 0 || write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    std::abort();
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() { close(fd_); }

bool PictureIsSmallEnough(std::span<const std::uint8_t> picture) {
  if (picture.size() < kTgaHeaderSize)
    return true;
  const TgaHeader header = ParseTgaHeader(picture.data());
  return std::int64_t{header.width} * header.height <= kMaxPixels;
}

const Command* TableLoading(const std::string& picturePath) {
  gPicturePath = picturePath;
  static const std::vector<Command> table =
      TableReplacing(kCommandTable, {{HandleLoadTga, LoadOwnPicture}});
  return table.data();
}

void RunScriptBytes(BuildState& state, std::span<const std::uint8_t> script, const Command* table) {
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  Console console{out, err, in};
  std::vector<std::uint8_t> copy(script.begin(), script.end());
  copy.push_back('\n');  // fmemopen refuses a buffer of size 0
  std::FILE* file = fmemopen(copy.data(), script.size() == 0 ? 1 : script.size(), "r");
  if (file == nullptr)
    std::abort();
  RunScriptStream(state, console, file, "fuzz script", table);
  std::fclose(file);
}

void WriteAndCheckFont(BuildState& state) {
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  Console console{out, err, in};
  WriteFont(state, console, "/dev/null");

  for (const GlyphSet* set : {&state.fontSet, &state.shadowSet}) {
    for (int i = 0; i < set->count; ++i) {
      if (!FitsOneByteFields(set->glyphs[static_cast<std::size_t>(i)]))
        return;
    }
  }
  std::vector<std::uint8_t> bytes;
  bool tooLarge = false;
  EmitFont(state, LayOutFont(state), [&](std::span<const std::uint8_t> piece) {
    tooLarge = tooLarge || bytes.size() + piece.size() > kMaxCheckedFont;
    if (!tooLarge)
      bytes.insert(bytes.end(), piece.begin(), piece.end());
  });
  if (tooLarge)
    return;
  const FontFile font = ReadFont(bytes);
  if (!font.problems.empty()) {
    std::fprintf(stderr, "the font does not read back: %s\n", font.problems.front().c_str());
    std::abort();
  }
}

}  // namespace typekiln::fuzz
