#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "../tests/font_fields.h"
#include "glyph/grabber.h"
#include "inspect/font_file/font_reader.h"
#include "inspect/inspect_messages.h"
#include "io/byte_order.h"
#include "picture/png_picture.h"
#include "picture/tga_picture.h"
#include "report/console.h"
#include "report/messages.h"
#include "script/glyph_commands.h"
#include "script/script_reader.h"
#include "text/ascii.h"
#include "writer/font_writer.h"

namespace typekiln::fuzz {

namespace {

// Fonts up to this size are also assembled in memory and read back.
constexpr std::uint64_t kMaxCheckedFont = 64 << 20;

}  // namespace

MemoryFile::MemoryFile(std::span<const std::uint8_t> bytes, int descriptor)
    : descriptor_(descriptor) {
  const int fd = memfd_create("typekiln-fuzz", MFD_CLOEXEC);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      dup2(fd, descriptor) != descriptor)
    std::abort();
  close(fd);
}

MemoryFile::~MemoryFile() { close(descriptor_); }

bool PictureIsSmallEnough(std::span<const std::uint8_t> picture) {
  constexpr std::size_t kPngSizeAt = 16;  // IHDR's width and height, after its length and type
  if (StartsAsPng(picture)) {
    if (picture.size() < kPngSizeAt + 8)
      return true;
    return std::uint64_t{GetBE32(&picture[kPngSizeAt])} * GetBE32(&picture[kPngSizeAt + 4]) <=
           std::uint64_t{kMaxPixels};
  }
  if (picture.size() < kTgaHeaderSize)
    return true;
  const TgaHeader header = ParseTgaHeader(picture.data());
  return std::int64_t{header.width} * header.height <= kMaxPixels;
}

void LoadGrabAndCheck(BuildState& state) {
  ReadTgaPicture(state.picture, kPicturePath);
  const std::int32_t height = state.picture.height;
  const struct {
    std::int32_t maxHeight, x, y, count;
  } grabs[] = {{height, 0, 0, 128}, {1, 0, height / 2, 128},
               {32, -5, -3, 4},     {height, state.picture.width - 1, 0, 2},
               {0, 0, 0, 1},        {-7, 0, 0, 1}};
  for (const auto& grab : grabs) {
    state.settings.maxHeight = grab.maxHeight;
    GlyphSet& set = grab.y == 0 ? state.faceSet : state.shadowSet;
    GrabGlyphs(state, set, grab.x, grab.y, grab.count);
  }
  WriteAndCheckFont(state);
}

void LoadFuzzPicture(BuildState& state, Console& console, const ScriptLine& line) {
  LoadTgaThrough(state, console, line,
                 [](BinaryFile& file, const std::string&) { file.OpenRead(kPicturePath); });
}

bool RunScriptBytes(BuildState& state, std::span<const std::uint8_t> script,
                    CommandHandler loadTga) {
  std::vector<Command> commands;
  for (const Command* command = kCommandTable; command->keyword != nullptr; ++command)
    commands.push_back({command->keyword, EqualsIgnoringAsciiCase(command->keyword, "LoadTGA")
                                              ? loadTga
                                              : command->handler});
  commands.push_back({nullptr, nullptr});
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  Console console{out, err, in};
  std::vector<std::uint8_t> copy(script.begin(), script.end());
  copy.push_back('\n');  // fmemopen refuses a buffer of size 0
  std::FILE* file = fmemopen(copy.data(), script.size() == 0 ? 1 : script.size(), "r");
  if (file == nullptr)
    std::abort();
  RunScriptStream(state, console, file, "fuzz script", commands.data());
  std::fclose(file);
  return !console.sawError;
}

void WriteAndCheckFont(BuildState& state) {
  WriteFont(state, "/dev/null");

  if (!test::AllFitOneByteFields(state))
    return;
  const std::vector<std::uint8_t> bytes = FontBytes(state);
  if (bytes.empty())
    return;
  const FontFile font = ReadFont(bytes);
  // A build that grabbed no face has nothing to draw, which the reader says; nothing else may be
  // wrong.
  const std::vector<std::string> expected = state.faceSet.count == 0
                                                ? std::vector<std::string>{msg::kNoGlyphs}
                                                : std::vector<std::string>{};
  if (font.problems != expected) {
    std::fprintf(stderr, "the font does not read back: %s\n", font.problems.front().c_str());
    std::abort();
  }
}

std::vector<std::uint8_t> FontBytes(const BuildState& state) {
  std::vector<std::uint8_t> bytes;
  bool tooLarge = false;
  EmitFont(state, LayOutFont(state), [&](std::span<const std::uint8_t> piece) {
    tooLarge = tooLarge || bytes.size() + piece.size() > kMaxCheckedFont;
    if (!tooLarge)
      bytes.insert(bytes.end(), piece.begin(), piece.end());
  });
  return tooLarge ? std::vector<std::uint8_t>() : bytes;
}

}  // namespace typekiln::fuzz
