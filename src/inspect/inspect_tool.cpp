#include "inspect/inspect_tool.h"

#include <zlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "font/font_format.h"
#include "inspect/drawing/font_preview.h"
#include "inspect/drawing/overlay.h"
#include "inspect/drawing/png_file.h"
#include "inspect/drawing/text_picture.h"
#include "inspect/font_file/font_inspector.h"
#include "inspect/font_file/font_reader.h"
#include "inspect/inspect_messages.h"
#include "inspect/script_check/script_checker.h"
#include "io/binary_file.h"
#include "io/command_line.h"
#include "io/file_identity.h"
#include "picture/png_picture.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

// The exit statuses: a clean result, problems or differences or notes found, and a run that
// could not do what it was asked.
constexpr int kClean = 0;
constexpr int kFound = 1;
constexpr int kFailed = 2;
// What every PNG file starts with.
constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1A\n", 8};

// The bytes of the file at `path`; nothing, and the reason said, when it cannot be read whole.
std::optional<std::vector<std::uint8_t>> ReadFileSaying(Console& console, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  switch (ReadWholeFile(path, static_cast<std::int64_t>(kMaxFontSize), bytes)) {
    case WholeFileRead::Read:
      return bytes;
    case WholeFileRead::CannotOpen:
    case WholeFileRead::NotRegular:  // not asked for: any file that opens is read
      Fail(console, kFailed, msg::kCannotOpen, path.c_str());
      break;
    case WholeFileRead::TooLarge:
      Fail(console, kFailed, msg::kFileTooLarge, path.c_str());
      break;
    case WholeFileRead::CannotRead:
      Fail(console, kFailed, msg::kCannotRead, path.c_str());
      break;
  }
  return std::nullopt;
}

// The bytes of the font at `path`; nothing when it cannot be read or is plainly no font, which
// is said rather than listed as a heap of problems.
std::optional<std::vector<std::uint8_t>> ReadFontFile(Console& console, const std::string& path) {
  auto bytes = ReadFileSaying(console, path);
  if (bytes && !StartsAsFont(*bytes)) {
    Fail(console, kFailed, msg::kNotAFont, path.c_str());
    return std::nullopt;
  }
  return bytes;
}

int Usage(Console& console) { return Fail(console, kFailed, msg::kInspectUsage); }

int Diff(Console& console, const std::string& beforePath, const std::string& afterPath) {
  const auto before = ReadFontFile(console, beforePath);
  const auto after = ReadFontFile(console, afterPath);
  if (!before || !after)
    return kFailed;
  const bool differs =
      PrintDiff(console.out, ReadFont(*before), beforePath, ReadFont(*after), afterPath);
  return differs ? kFound : kClean;
}

int List(Console& console, const std::string& path, std::optional<int> glyph) {
  const auto bytes = ReadFontFile(console, path);
  if (!bytes)
    return kFailed;
  const FontFile font = ReadFont(*bytes);
  PrintListing(console.out, path, font);
  if (glyph) {
    const int entries = static_cast<int>(font.entries.size());
    if (*glyph >= entries)
      return Fail(console, kFailed, msg::kNoSuchEntry, *glyph, entries);
    PrintGlyph(console.out, font, *glyph);
  }
  return font.problems.empty() && font.unreachable.empty() ? kClean : kFound;
}

std::optional<int> NumberArgument(const std::string& text, int lowest, int highest) {
  const std::optional<int> value = WholeNumber(text);
  if (!value || *value < lowest || *value > highest)
    return std::nullopt;
  return value;
}

// A picture never takes the place of a folder, nor of a file it is drawn from, under whatever
// name, nor of a file that is no picture of its own.
bool RefusesOutput(Console& console, const std::string& out,
                   const std::vector<std::string>& inputs) {
  if (std::error_code error; std::filesystem::is_directory(out, error)) {
    Fail(console, kFailed, msg::kOutputIsFolder, out.c_str());
    return true;
  }
  for (const std::string& input : inputs) {
    if (WritesOver(out, input)) {
      Fail(console, kFailed, msg::kOutputIsInput, out.c_str(), input.c_str());
      return true;
    }
  }
  if (!MayTakePlaceOf(out, kPngSignature)) {
    Fail(console, kFailed, msg::kOutputIsNoPng, out.c_str());
    return true;
  }
  return false;
}

bool Write(Console& console, const Canvas& canvas, const std::string& path) {
  if (!WritePng(canvas, path)) {
    Fail(console, kFailed, msg::kCannotWrite, path.c_str());
    return false;
  }
  Say(console.out, msg::kPngWritten, path.c_str(), canvas.width(), canvas.height());
  return true;
}

// The bytes of the font that a drawing mode draws into `out`; nothing when the font cannot be
// read or `out` would take its place.
std::optional<std::vector<std::uint8_t>> ReadFontToDraw(Console& console, const std::string& out,
                                                        const std::string& path) {
  if (RefusesOutput(console, out, {path}))
    return std::nullopt;
  return ReadFontFile(console, path);
}

// A drawing mode draws what it can of a font with problems, and names them on standard error.
// The status the problems give the run.
int PrintProblems(Console& console, const FontFile& font) {
  int status = kClean;
  for (const std::string& problem : font.problems)
    status = Fail(console, kFound, msg::kListingProblem, problem.c_str());
  return status;
}

int Preview(Console& console, const std::string& out, const std::string& path, int zoom) {
  const auto bytes = ReadFontToDraw(console, out, path);
  if (!bytes)
    return kFailed;
  const FontFile font = ReadFont(*bytes);
  const int status = PrintProblems(console, font);
  if (!Write(console, RenderPreview(font, zoom), out))
    return kFailed;
  return status;
}

void PrintNotes(Console& console, const ScriptNotes& notes) {
  for (const std::string& note : notes.kept) Say(console.out, msg::kLine, note.c_str());
}

int Check(Console& console, const std::string& script) {
  ScriptRecorder recorder;
  const std::optional<ScriptNotes> checked = CheckScript(console, script, recorder);
  if (!checked)
    return kFailed;
  PrintNotes(console, *checked);
  const auto notes = static_cast<long long>(checked->found);
  if (notes > 0)
    Say(console.out, msg::kCheckFound, Count(notes, msg::kNotes).c_str());
  else if (!console.sawError)
    Say(console.out, msg::kNoProblems);
  // A check fails on an error and on any note.
  return console.sawError || notes > 0 ? kFound : kClean;
}

int Overlay(Console& console, const std::string& out, const std::string& script, int zoom) {
  OverlayRecorder recorder;
  const std::optional<ScriptNotes> checked = CheckScript(console, script, recorder);
  if (!checked)
    return kFailed;
  PrintNotes(console, *checked);
  const std::vector<CheckedPicture>& pictures = recorder.findings().pictures;
  std::vector<std::string> inputs{script};
  for (const CheckedPicture& picture : pictures) inputs.push_back(picture.path);
  const auto path = [&](std::size_t i) { return OverlayPath(out, static_cast<int>(i) + 1); };
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (RefusesOutput(console, path(i), inputs))
      return kFailed;
  }
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (!Write(console, RenderOverlay(pictures[i], *recorder.alphas()[i], zoom), path(i)))
      return kFailed;
  }
  // A drawing is what was asked for: notes alone do not fail it, an error does.
  return console.sawError ? kFound : kClean;
}

// The codes a text from the command line sets: as UTF-8, each character up to U+00FF its Latin-1
// code and any other '?', as the runtime sets a UTF-8 text; bytes that are not UTF-8 as they
// are, each its own code.
std::string TextAsCodes(const std::string& text) {
  if (!IsUtf8(text))
    return text;
  std::string codes;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character = DecodeUtf8(text, at);
    codes += character.code <= 0xFF ? static_cast<char>(character.code) : '?';
    at += character.length;
  }
  return codes;
}

// Sets the text as the game would, with the runtime, if the runtime opens the font.
int Render(Console& console, const std::string& out, const std::string& path,
           const std::string& text) {
  const auto bytes = ReadFontToDraw(console, out, path);
  if (!bytes)
    return kFailed;
  const FontFile font = ReadFont(*bytes);
  const int status = PrintProblems(console, font);
  tkf_font game;
  if (const int error = tkf_open(&game, bytes->data(), bytes->size()); error != TKF_OK)
    return Fail(console, kFound, msg::kCannotDraw, path.c_str(), tkf_error(error));
  constexpr int kMargin = 2;
  const std::optional<Canvas> picture = DrawText(game, TextAsCodes(text), 0, kMargin);
  if (!picture)
    return Fail(console, kFailed, msg::kTextTooLarge, static_cast<long long>(kMaxTextPixels));
  if (!Write(console, *picture, out))
    return kFailed;
  return status;
}

enum class Mode { List, Diff, Check, Preview, Overlay, Render };

// What each mode takes: the option that chooses it, whether the picture to write follows that
// option, how many files come after, and the zoom it draws at unless --zoom says (0: it takes
// no --zoom).
struct ModeForm {
  Mode mode;
  const char* option;
  bool writesPicture;
  std::size_t files;
  int zoom;
};
constexpr ModeForm kModes[] = {
    {Mode::List, nullptr, false, 1, 0},
    {Mode::Diff, "--diff", false, 2, 0},
    {Mode::Check, "--check", false, 1, 0},
    {Mode::Preview, "--preview", true, 1, kDefaultZoom},
    {Mode::Overlay, "--overlay", true, 1, kOverlayZoom},
    {Mode::Render, "--render", true, 2, 0},
};

const ModeForm* FindMode(std::string_view option) {
  for (const ModeForm& form : kModes) {
    if (form.option != nullptr && option == form.option)
      return &form;
  }
  return nullptr;
}

// The options after the mode's: each given once at most, a value in the word after it.
constexpr OptionName kInspectOptions[] = {
    {"--glyph", nullptr, true},  {"--zoom", nullptr, true},    {"--diff", nullptr, false},
    {"--check", nullptr, false}, {"--preview", nullptr, true}, {"--overlay", nullptr, true},
    {"--render", nullptr, true},
};
constexpr ArgumentRules kInspectRules{"--", false, false, true};

}  // namespace

int RunInspectTool(Console& console, int argc, const char* const argv[]) {
  const std::vector<Argument> arguments = ArgumentsOf(argc, argv);
  // --help and --version stand alone; anywhere else they are no option of this tool.
  if (SaidHelpOrVersion(console.out, arguments, "-h",
                        Format(msg::kTwoLines, msg::kInspectUsage, msg::kInspectHelp),
                        Format(msg::kInspectVersion, TYPEKILN_VERSION, PngLibraries().c_str())))
    return kClean;
  const ModeForm* form = &kModes[0];
  std::string out;
  std::vector<std::string> files;
  std::optional<int> glyph;
  std::optional<int> zoom;
  ArgumentReader reader(arguments, kInspectOptions, kInspectRules);
  for (ArgumentReader::Item item = reader.Next(); item.kind != ArgumentReader::Kind::End;
       item = reader.Next()) {
    using Kind = ArgumentReader::Kind;
    const std::string_view name = item.option != nullptr ? item.option->name : "";
    const ModeForm* chosen = FindMode(name);
    if (item.kind == Kind::Word) {
      files.push_back(item.value.native);
    } else if (item.kind == Kind::MissingValue) {
      return Usage(console);
    } else if (item.kind != Kind::Option || (chosen != nullptr && form->mode != Mode::List)) {
      // Also a second mode: one run does one thing.
      Fail(console, kFailed, msg::kUnknownArgument, item.written.c_str());
      return Usage(console);
    } else if (name == "--glyph") {
      glyph = NumberArgument(item.value.native, 0, kMaxByteField);
      if (!glyph)
        return Fail(console, kFailed, msg::kBadGlyphNumber, item.value.native.c_str());
    } else if (name == "--zoom") {
      zoom = NumberArgument(item.value.native, 1, kMaxZoom);
      if (!zoom)
        return Fail(console, kFailed, msg::kBadZoom, kMaxZoom, item.value.native.c_str());
    } else {
      form = chosen;
      out = item.value.native;
    }
  }
  if (form->mode == Mode::Render && files.size() == 1)
    return Fail(console, kFailed, msg::kRenderNeedsText);
  if (files.size() != form->files || (glyph && form->mode != Mode::List) ||
      (zoom && form->zoom == 0))
    return Usage(console);
  switch (form->mode) {
    case Mode::Diff:
      return Diff(console, files[0], files[1]);
    case Mode::Check:
      return Check(console, files[0]);
    case Mode::Preview:
      return Preview(console, out, files[0], zoom.value_or(form->zoom));
    case Mode::Overlay:
      return Overlay(console, out, files[0], zoom.value_or(form->zoom));
    case Mode::Render:
      return Render(console, out, files[0], files[1]);
    case Mode::List:
      break;
  }
  return List(console, files[0], glyph);
}

}  // namespace typekiln
