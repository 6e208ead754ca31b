#include "import/tool/import_tool.h"

#include <ft2build.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>
#include FT_FREETYPE_H

#include "font/font_format.h"
#include "import/bmfont/bmfont_font.h"
#include "import/freetype/freetype_font.h"
#include "import/import_messages.h"
#include "import/sheet/char_list.h"
#include "import/sheet/font_sheet.h"
#include "import/sheet/tga_encoder.h"
#include "io/binary_file.h"
#include "io/file_identity.h"
#include "io/file_set.h"
#include "io/file_system.h"
#include "picture/picture_rows.h"
#include "picture/png_picture.h"
#include "picture/tga_picture.h"
#include "script/glyph_commands.h"
#include "script/script_reader.h"
#include "text/ascii.h"

namespace typekiln {

namespace {

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kWrongArguments = 2;
constexpr int kMaxFaceIndex = 0xFFFF;
// How much of a font is read to tell a BMFont descriptor from a font FreeType reads.
constexpr std::size_t kSniffSize = 4096;
// The largest script read back: far more than any this tool writes.
constexpr std::int64_t kMaxScriptBytes = std::int64_t{1} << 20;

// What the command line asks for.
enum class ImportTask {
  Import,         // the font's sheets and script, into the folder
  RedrawShadows,  // --redraw-shadows: the folder's shadows from its faces
  Help,           // --help: the usage and what each option does
  Version,        // --version
};

struct ImportOptions {
  ImportTask task = ImportTask::Import;
  std::string font;
  std::string outputFolder;
  FreeTypeOptions freeType;
  std::vector<std::uint8_t> codes = DefaultCharList();
  std::vector<std::uint8_t> repeatedChars;  // given more than once in --chars, taken once
  SheetOptions sheet;
  bool force = false;
};

std::string DescribeCharacters(const std::vector<std::uint8_t>& codes) {
  std::string list;
  for (const std::uint8_t code : codes)
    list += (list.empty() ? "" : msg::kListSeparator) + DescribeCharacter(code);
  return list;
}

// Takes the value of an option that has one into `options`; it fails when the value is wrong.
// --chars reads it as UTF-8 text, the others as given.
Failure TakeValue(std::string_view name, const Argument& given, ImportOptions& options) {
  const std::string& value = given.native;
  if (name == "--size") {
    const auto size = WholeNumber(value);
    if (!size || *size < 1 || *size > kMaxByteField)
      return Failure::Because(msg::kImportBadSize, kMaxByteField, value.c_str());
    options.freeType.size = *size;
  } else if (name == "--face") {
    const auto face = WholeNumber(value);
    if (!face || *face < 0 || *face > kMaxFaceIndex)
      return Failure::Because(msg::kImportBadFace, kMaxFaceIndex, value.c_str());
    options.freeType.faceIndex = *face;
  } else if (name == "--chars") {
    return ParseCharList(given.utf8, options.codes, options.repeatedChars);
  } else if (name == "--shadow") {
    if (value == "drop")
      options.sheet.shadow = ShadowStyle::Drop;
    else if (value == "outline")
      options.sheet.shadow = ShadowStyle::Outline;
    else if (value == "none")
      options.sheet.shadow = ShadowStyle::None;
    else
      return Failure::Because(msg::kImportBadShadow, value.c_str());
  } else if (name == "--shadow-offset") {
    const std::size_t comma = value.find(',');
    const auto dx = WholeNumber(std::string_view(value).substr(0, comma));
    const auto dy = comma == std::string::npos
                        ? std::nullopt
                        : WholeNumber(std::string_view(value).substr(comma + 1));
    if (!dx || !dy || (*dx == 0 && *dy == 0) || std::abs(*dx) > kDropShadowReach ||
        std::abs(*dy) > kDropShadowReach)
      return Failure::Because(msg::kImportBadOffset, kDropShadowReach, kDropShadowReach,
                              value.c_str());
    options.sheet.dropX = *dx;
    options.sheet.dropY = *dy;
  }
  return {};
}

// typekiln-import's options. A value follows the option's word, or "=" in it (--size=13); "--"
// ends the options.
constexpr OptionName kImportOptions[] = {
    {"--help", "-h", false},
    {"--version", nullptr, false},
    {"--mono", nullptr, false},
    {"--force", nullptr, false},
    {"--redraw-shadows", nullptr, false},
    {"--size", nullptr, true},
    {"--face", nullptr, true},
    {"--chars", nullptr, true},
    {"--shadow", nullptr, true},
    {"--shadow-offset", nullptr, true},
};
constexpr ArgumentRules kImportRules{"-", true, true, false};

// Reads the command line into `options`, up to --help or --version, which end it; it fails when
// the command line is wrong.
Failure ParseArguments(const std::vector<Argument>& arguments, ImportOptions& options) {
  std::vector<std::string> paths;
  ArgumentReader reader(arguments, kImportOptions, kImportRules);
  for (ArgumentReader::Item item = reader.Next(); item.kind != ArgumentReader::Kind::End;
       item = reader.Next()) {
    using Kind = ArgumentReader::Kind;
    if (item.kind == Kind::Word) {
      paths.push_back(item.value.native);
      continue;
    }
    if (item.kind == Kind::MissingValue)
      return Failure::Because(msg::kImportMissingValue, item.written.c_str());
    if (item.kind != Kind::Option)
      return Failure::Because(msg::kImportUnknownOption, item.written.c_str());
    const std::string_view name = item.option->name;
    if (name == "--help" || name == "--version") {
      options.task = name == "--help" ? ImportTask::Help : ImportTask::Version;
      return {};
    }
    if (name == "--mono")
      options.freeType.mono = true;
    else if (name == "--force")
      options.force = true;
    else if (name == "--redraw-shadows")
      options.task = ImportTask::RedrawShadows;
    else if (Failure failure = TakeValue(name, item.value, options); failure.Failed())
      return failure;
  }
  const int optionsGiven = reader.optionsGiven();
  // --redraw-shadows stands alone with the folder: the import that made it chose the rest.
  if (options.task == ImportTask::RedrawShadows) {
    if (paths.size() != 1 || optionsGiven != 1)
      return Failure::Because(msg::kImportUsage);
    options.outputFolder = paths[0];
    return {};
  }
  if (paths.size() != 2)
    return Failure::Because(msg::kImportUsage);
  options.font = paths[0];
  options.outputFolder = paths[1];
  return {};
}

// True when the file's first bytes are a BMFont descriptor's: the binary form's signature, an
// XML document with a <font> element, or a text whose first word is one of the form's tags.
bool IsBmFontDescriptor(std::string_view start) {
  if (start.starts_with("BMF"))
    return true;
  if (start.starts_with("\xEF\xBB\xBF"))
    start.remove_prefix(3);
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos)
    return false;
  start.remove_prefix(first);
  if (start.starts_with("<"))
    return start.find("<font") != std::string_view::npos;
  const std::string_view word = start.substr(0, start.find_first_of(" \t\r\n"));
  return word == "info" || word == "common" || word == "page" || word == "chars";
}

// Text from a font (its names) as a script comment may hold it: printable ASCII only, so that no
// byte of it can end the line or start a command.
std::string Printable(std::string text) {
  for (char& c : text)
    if (c < 0x20 || c > 0x7E)
      c = '?';
  return text;
}

// A comment line of the script, kept within the line length a script reads as one line.
std::string CommentLine(const std::string& text) {
  return "# " + Printable(text).substr(0, kLineBufferSize - 3) + "\n";
}

std::string ScriptComment(const ImportOptions& options, const ImportedFont& font) {
  const std::string name = std::filesystem::path(options.font).filename().string();
  std::string used;
  if (options.freeType.size)
    used += Format(" --size %d", *options.freeType.size);
  if (options.freeType.mono)
    used += " --mono";
  if (options.freeType.faceIndex != 0)
    used += Format(" --face %d", options.freeType.faceIndex);
  if (options.sheet.shadow == ShadowStyle::None)
    used += " --shadow none";
  else if (options.sheet.shadow == ShadowStyle::Outline)
    used += " --shadow outline";
  else
    used +=
        Format(" --shadow drop --shadow-offset %d,%d", options.sheet.dropX, options.sheet.dropY);
  return CommentLine(Format(msg::kScriptMadeFrom, name.c_str())) + CommentLine(font.description) +
         CommentLine(Format(msg::kScriptOptions, used.c_str())) +
         CommentLine(Format(msg::kScriptBuild, kScriptFile)) + CommentLine(msg::kScriptRetouch);
}

// What the run says of the font on standard error: the characters left out, the kerning not
// carried, the glyphs whose ink leaves their advance box, a space guessed.
void Remark(Console& console, const ImportOptions& options, const std::string& path,
            const ImportedFont& font, const Sheet& sheet) {
  const char* file = path.c_str();
  if (!options.repeatedChars.empty())
    Warn(console, msg::kImportCharsTakenOnce,
         Count(static_cast<long long>(options.repeatedChars.size()), msg::kCharacters).c_str(),
         DescribeCharacters(options.repeatedChars).c_str());
  if (!font.missing.empty())
    Warn(console, msg::kImportMissing, file,
         Count(static_cast<long long>(font.missing.size()), msg::kCharacters).c_str(),
         DescribeCharacters(font.missing).c_str());
  if (font.kerningPairs > 0)
    Warn(console, msg::kImportKerning, file, Count(font.kerningPairs, msg::kKerningPairs).c_str());
  else if (font.kerningPairs < 0)
    Warn(console, msg::kImportKerningUncounted, file);
  if (!sheet.outsideAdvance.empty())
    Warn(console, msg::kImportOutsideAdvance,
         Count(static_cast<long long>(sheet.outsideAdvance.size()), msg::kGlyphs).c_str(),
         DescribeCharacters(sheet.outsideAdvance).c_str());
  if (sheet.spaceGuessed)
    Warn(console, msg::kImportSpaceGuessed, file, sheet.space);
}

// How this tool's script starts: its own comment, which names the font.
std::string_view ScriptMark() {
  const std::string_view madeFrom = msg::kScriptMadeFrom;
  return madeFrom.substr(0, madeFrom.find('%'));
}

// True when the regular file at `path` is one this tool writes, which --force may replace: an
// empty file, a true-colour TGA or a PNG (a sheet, as drawn or retouched and saved again), or for
// the script one that starts with this tool's own comment.
bool ImportWrote(const std::string& path, bool script) {
  BinaryFile file;
  if (file.OpenRegularRead(path) != BinaryFile::RegularOpen::Opened)
    return false;
  const std::int64_t size = file.Size();
  if (size == 0)
    return true;
  if (script) {
    const std::string mark = "# " + std::string(ScriptMark());
    std::string start(mark.size(), '\0');
    return size >= static_cast<std::int64_t>(mark.size()) &&
           file.Read(start.data(), start.size()) && start == mark;
  }
  std::uint8_t header[kTgaHeaderSize];
  if (size < static_cast<std::int64_t>(kTgaHeaderSize) || !file.Read(header, sizeof header))
    return false;
  const TgaHeader tga = ParseTgaHeader(header);
  return StartsAsPng(header) || (tga.IsTrueColour() && (tga.depth == 32 || tga.depth == 24));
}

// Writes the files as one set: all, or none. --force replaces only files this tool writes.
Failure WritePieces(const ImportOptions& options, const std::vector<std::string>& inputs,
                    std::span<const FileSetPiece> pieces) {
  for (const FileSetPiece& piece : pieces) {
    const std::string path = InFolder(options.outputFolder, piece.name.c_str());
    for (const std::string& input : inputs)
      if (WritesOver(path, input))
        return Failure::Because(msg::kImportOverInput, path.c_str(), input.c_str());
    if (options.force && LookAtPath(path, false).kind == EntryKind::File &&
        !ImportWrote(path, piece.name == kScriptFile))
      return Failure::Because(msg::kImportNotOurs, path.c_str());
  }
  return WriteFileSet(options.outputFolder, pieces, options.force);
}

// The options the import that wrote `script` was given, as its comment records them: the shadow
// and its offset. False for a script this tool did not write.
bool RecordedShadow(const std::string& script, SheetOptions& sheet) {
  if (!script.starts_with("# " + std::string(ScriptMark())))
    return false;
  const std::string_view options = msg::kScriptOptions;
  const std::string line = "# " + std::string(options.substr(0, options.find('%')));
  const std::size_t at = script.find("\n" + line);
  if (at == std::string::npos)
    return false;
  std::istringstream words(
      script.substr(at + 1 + line.size(), script.find('\n', at + 1) - at - 1 - line.size()));
  bool shadowGiven = false;
  for (std::string word; words >> word;) {
    std::string value;
    if (word == "--shadow" && words >> value) {
      shadowGiven = true;
      sheet.shadow = value == "outline" ? ShadowStyle::Outline
                     : value == "none"  ? ShadowStyle::None
                                        : ShadowStyle::Drop;
    } else if (word == "--shadow-offset" && words >> value) {
      const std::size_t comma = value.find(',');
      const auto dx = WholeNumber(std::string_view(value).substr(0, comma));
      const auto dy = comma == std::string::npos
                          ? std::nullopt
                          : WholeNumber(std::string_view(value).substr(comma + 1));
      if (!dx || !dy)
        return false;
      sheet.dropX = *dx;
      sheet.dropY = *dy;
    }
  }
  return shadowGiven;
}

// The faces of the sheet at `path`, read as typekiln reads it, into `sheet`; it fails when the
// sheet cannot be read or is larger than any sheet this tool draws.
Failure ReadSheet(const std::string& path, RgbaPicture& sheet) {
  Picture picture;
  if (Failure failure = ReadTgaPicture(picture, path); failure.Failed())
    return failure;
  if (std::int64_t{picture.width} * picture.height > kMaxSheetPixels)
    return Failure::Because(msg::kImportSheetTooLarge, path.c_str(), picture.width, picture.height,
                            static_cast<long long>(kMaxSheetPixels));
  sheet = RgbaPicture(picture.width, picture.height);
  const bool read = VisitRows(picture, [&](std::int64_t y, const std::uint8_t* row) {
    for (std::int64_t x = 0; x < picture.width; ++x) {
      const std::uint8_t* bgra = row + x * kBytesPerPixel;
      sheet.Set(static_cast<int>(x), static_cast<int>(y),
                std::array<std::uint8_t, 4>{bgra[2], bgra[1], bgra[0], bgra[3]});
    }
    return true;
  });
  if (!read)
    return Failure::Because(msg::kTruncated, path.c_str());
  return {};
}

// --redraw-shadows: draws the folder's shadows.tga again from its faces.tga, as the import that
// wrote the folder drew it, and replaces it alone; says so on `console`.
Failure RedrawShadows(Console& console, const std::string& folder) {
  const std::string scriptPath = InFolder(folder, kScriptFile);
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(scriptPath, kMaxScriptBytes, bytes, true) != WholeFileRead::Read)
    return Failure::Because(msg::kCannotOpen, scriptPath.c_str());
  SheetOptions sheet;
  if (!RecordedShadow(std::string(bytes.begin(), bytes.end()), sheet))
    return Failure::Because(msg::kImportNotImported, scriptPath.c_str());
  const std::string shadowsPath = InFolder(folder, kShadowsFile);
  if (sheet.shadow == ShadowStyle::None ||
      LookAtPath(shadowsPath, false).kind == EntryKind::Missing)
    return Failure::Because(
        msg::kImportNoShadowSheet, folder.c_str(),
        sheet.shadow == ShadowStyle::None ? msg::kImportNoShadows : msg::kImportFacesAreShadows);
  const std::string facesPath = InFolder(folder, kFacesFile);
  RgbaPicture faces;
  if (Failure failure = ReadSheet(facesPath, faces); failure.Failed())
    return failure;
  RgbaPicture shadows;
  if (!DrawShadows(faces, sheet, shadows))
    return Failure::Because(msg::kImportShadowsOffSheet, facesPath.c_str());
  const std::vector<std::uint8_t> encoded = EncodeTga(shadows);
  const FileSetPiece piece{kShadowsFile, encoded};
  if (!ImportWrote(shadowsPath, false))
    return Failure::Because(msg::kImportNotOurs, shadowsPath.c_str());
  if (Failure failure = WriteFileSet(folder, {&piece, 1}, true); failure.Failed())
    return failure;
  Say(console.out, msg::kImportRedrawn, shadowsPath.c_str(), facesPath.c_str());
  return {};
}

// The bytes of the font file at `path`, into `bytes`.
Failure ReadFontFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  switch (ReadWholeFile(path, kMaxFontBytes, bytes, true)) {
    case WholeFileRead::Read:
      return {};
    case WholeFileRead::CannotOpen:
      return Failure::Because(msg::kCannotOpen, path.c_str());
    case WholeFileRead::NotRegular:
      return Failure::Because(msg::kImportNotAFile, path.c_str());
    case WholeFileRead::TooLarge:
      return Failure::Because(msg::kImportFontTooLarge, path.c_str(),
                              static_cast<int>(kMaxFontBytes >> 20));
    case WholeFileRead::CannotRead:
      break;
  }
  return Failure::Because(msg::kCannotRead, path.c_str());
}

// Reads the font into `font`: a BMFont descriptor and its pages, or any font FreeType reads.
Failure ReadFont(const ImportOptions& options, std::vector<std::uint8_t> bytes,
                 ImportedFont& font) {
  const std::string_view start(reinterpret_cast<const char*>(bytes.data()),
                               std::min(bytes.size(), kSniffSize));
  if (IsBmFontDescriptor(start))
    return ReadBmFont(options.font, std::move(bytes), options.codes, font);
  return ReadFreeTypeFont(options.font, std::move(bytes), options.freeType, options.codes, font);
}

// Draws the font's sheets and script into the folder; says what it left out and what it wrote
// on `console`.
Failure Import(Console& console, const ImportOptions& options) {
  std::vector<std::uint8_t> bytes;
  if (Failure failure = ReadFontFile(options.font, bytes); failure.Failed())
    return failure;
  ImportedFont font;
  if (Failure failure = ReadFont(options, std::move(bytes), font); failure.Failed())
    return failure;
  // The names come from the font: only printable text of them reaches the console and the script.
  font.description = Printable(font.description);
  Sheet sheet;
  if (Failure failure =
          DrawSheet(font, options.font, options.sheet, ScriptComment(options, font), sheet);
      failure.Failed())
    return failure;
  Remark(console, options, options.font, font, sheet);

  std::vector<std::string> inputs{options.font};
  inputs.insert(inputs.end(), font.files.begin(), font.files.end());
  const std::vector<std::uint8_t> faces = EncodeTga(sheet.faces);
  const bool outline = options.sheet.shadow == ShadowStyle::Outline;
  const std::vector<std::uint8_t> shadows =
      outline ? EncodeTga(sheet.shadows) : std::vector<std::uint8_t>();
  const std::span<const std::uint8_t> script(
      reinterpret_cast<const std::uint8_t*>(sheet.script.data()), sheet.script.size());
  std::vector<FileSetPiece> pieces{{kFacesFile, faces}};
  if (outline)
    pieces.push_back({kShadowsFile, shadows});
  pieces.push_back({kScriptFile, script});
  if (Failure failure = WritePieces(options, inputs, pieces); failure.Failed())
    return failure;
  Say(console.out, msg::kImportWrote,
      Count(static_cast<long long>(font.glyphs.size()), msg::kCharacters).c_str(),
      font.description.c_str(), options.outputFolder.c_str(), kScriptFile);
  return {};
}

}  // namespace

int RunImportTool(Console& console, const std::vector<Argument>& arguments) {
  // Errors and remarks alike are said on standard error, after the tool's name.
  console.errorPrefix = msg::kImportPrefix;
  ImportOptions options;
  if (const Failure failure = ParseArguments(arguments, options); failure.Failed())
    return Fail(console, kWrongArguments, "%s", failure.message().c_str());
  Failure failure;
  switch (options.task) {
    case ImportTask::Help:
      Say(console.out, "%s\n%s", msg::kImportUsage, msg::kImportHelp);
      return kWritten;
    case ImportTask::Version:
      Say(console.out, msg::kImportVersion, TYPEKILN_VERSION, FREETYPE_MAJOR, FREETYPE_MINOR,
          FREETYPE_PATCH, PngLibraries().c_str());
      return kWritten;
    case ImportTask::RedrawShadows:
      failure = RedrawShadows(console, options.outputFolder);
      break;
    case ImportTask::Import:
      failure = Import(console, options);
      break;
  }
  return failure.Failed() ? Fail(console, kFailed, "%s", failure.message().c_str()) : kWritten;
}

}  // namespace typekiln
