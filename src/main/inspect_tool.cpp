#include "main/inspect_tool.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "font/font_inspector.h"
#include "font/font_reader.h"
#include "io/binary_file.h"
#include "main/messages.h"

namespace typekiln {

namespace {

constexpr int kClean = 0;
constexpr int kFound = 1;
constexpr int kFailed = 2;

// A font is at most 4 GiB: its offsets are 32 bits.
constexpr std::int64_t kLargestFont = 0xFFFFFFFFll + 1;

std::optional<std::vector<std::uint8_t>> ReadWholeFile(Console& console, const std::string& path) {
  BinaryFile file;
  if (!file.OpenRead(path)) {
    console.err << Format(msg::kCannotOpen, path.c_str()) << '\n';
    return std::nullopt;
  }
  const std::int64_t size = file.Size();
  if (size > kLargestFont) {
    console.err << Format(msg::kFileTooLarge, path.c_str());
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size < 0 ? 0 : size));
  if (size < 0 || !file.Read(bytes.data(), bytes.size())) {
    console.err << Format(msg::kCannotRead, path.c_str()) << '\n';
    return std::nullopt;
  }
  return bytes;
}

int Usage(Console& console) {
  console.err << msg::kInspectUsage;
  return kFailed;
}

int Diff(Console& console, const std::string& beforePath, const std::string& afterPath) {
  const auto before = ReadWholeFile(console, beforePath);
  const auto after = ReadWholeFile(console, afterPath);
  if (!before || !after)
    return kFailed;
  const bool differs =
      PrintDiff(console.out, ReadFont(*before), beforePath, ReadFont(*after), afterPath);
  return differs ? kFound : kClean;
}

int List(Console& console, const std::string& path, std::optional<int> glyph) {
  const auto bytes = ReadWholeFile(console, path);
  if (!bytes)
    return kFailed;
  const FontFile font = ReadFont(*bytes);
  PrintListing(console.out, path, font);
  if (glyph) {
    const int entries = static_cast<int>(font.entries.size());
    if (*glyph >= entries) {
      console.err << Format(msg::kNoSuchEntry, *glyph, entries);
      return kFailed;
    }
    PrintGlyph(console.out, font, *glyph);
  }
  return font.problems.empty() ? kClean : kFound;
}

std::optional<int> EntryNumber(const char* text) {
  int value = 0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc{} || stop != end || value < 0)
    return std::nullopt;
  return value;
}

}  // namespace

int RunInspect(Console& console, int argc, const char* const argv[]) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    console.out << msg::kInspectUsage << msg::kInspectHelp;
    return kClean;
  }
  if (!args.empty() && args[0] == "--diff")
    return args.size() == 3 ? Diff(console, args[1], args[2]) : Usage(console);

  std::optional<std::string> font;
  std::optional<int> glyph;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--glyph" && !glyph) {
      if (i + 1 == args.size())
        return Usage(console);
      glyph = EntryNumber(args[++i].c_str());
      if (!glyph) {
        console.err << Format(msg::kBadGlyphNumber, args[i].c_str());
        return kFailed;
      }
    } else if (args[i].starts_with("--") || font) {
      console.err << Format(msg::kUnknownArgument, args[i].c_str());
      return Usage(console);
    } else {
      font = args[i];
    }
  }
  return font ? List(console, *font, glyph) : Usage(console);
}

}  // namespace typekiln
