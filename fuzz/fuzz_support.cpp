#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "inspect/font_file/font_reader.h"
#include "picture/tga_picture.h"
#include "report/console.h"
#include "report/messages.h"
#include "script/script_reader.h"
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
  if (picture.size() < kTgaHeaderSize)
    return true;
  const TgaHeader header = ParseTgaHeader(picture.data());
  return std::int64_t{header.width} * header.height <= kMaxPixels;
}

bool RunScriptBytes(BuildState& state, std::span<const std::uint8_t> script) {
  if (!state.openPicture)
    state.openPicture = [](BinaryFile& file, const std::string&) { file.OpenRead(kPicturePath); };
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  Console console{out, err, in};
  std::vector<std::uint8_t> copy(script.begin(), script.end());
  copy.push_back('\n');  // fmemopen refuses a buffer of size 0
  std::FILE* file = fmemopen(copy.data(), script.size() == 0 ? 1 : script.size(), "r");
  if (file == nullptr)
    std::abort();
  RunScriptStream(state, console, file, "fuzz script");
  std::fclose(file);
  return !console.sawError;
}

void WriteAndCheckFont(BuildState& state) {
  WriteFont(state, "/dev/null");

  for (const GlyphSet* set : {&state.faceSet, &state.shadowSet}) {
    for (int i = 0; i < set->count; ++i) {
      if (!FitsOneByteFields(set->glyphs[static_cast<std::size_t>(i)]))
        return;
    }
  }
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
