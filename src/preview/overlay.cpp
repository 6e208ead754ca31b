#include "preview/overlay.h"

#include <algorithm>
#include <sstream>

#include "glyph/grabber.h"
#include "io/binary_file.h"
#include "io/tga_picture.h"
#include "main/messages.h"
#include "script/command_table.h"
#include "script/line_scanner.h"
#include "script/script_reader.h"

namespace typekiln {

namespace {

// The run being recorded. The recording handlers below stand in the command table in place of
// LoadTGA and Grab, and a command handler takes nothing but the build state, the console and the
// line; RunOverlay points this at its own run for as long as the script runs.
OverlayRun* gRun = nullptr;

constexpr std::uint8_t kRightToLeftBit = 0x10;

const char* SetName(bool shadow) { return shadow ? "shadow" : "face"; }

bool DescriptorSaysRightToLeft(const std::string& path) {
  BinaryFile file;
  std::uint8_t header[kTgaHeaderSize];
  return file.OpenRead(path) && file.Read(header, sizeof header) &&
         (header[17] & kRightToLeftBit) != 0;
}

// The picture's alpha bytes, row by row from the top, read some rows at a time. False when its
// file no longer holds them.
bool ReadAlpha(Image& image, std::vector<std::uint8_t>& alpha) {
  const std::int64_t width = image.width;
  const std::int64_t rowsAtOnce = std::max<std::int64_t>(1, (std::int64_t{1} << 20) / width);
  alpha.resize(static_cast<std::size_t>(width * image.height));
  for (std::int64_t first = 0; first < image.height; first += rowsAtOnce) {
    const std::int64_t end = std::min<std::int64_t>(first + rowsAtOnce, image.height);
    PixelRows rows;
    if (ReadRows(image, first, end, rows) != nullptr)
      return false;
    for (std::int64_t y = first; y < end; ++y) {
      for (std::int64_t x = 0; x < width; ++x)
        alpha[static_cast<std::size_t>(y * width + x)] = rows.Pixel(y - first, x)[kAlphaByte];
    }
  }
  return true;
}

void RecordLoad(BuildState& state, Console& console, const std::string& line) {
  HandleLoadTga(state, console, line);
  LineScanner scan(line);
  std::string path;
  if (!scan.Word() || !scan.Word(&path) || !HasPixels(state.image))
    return;
  OverlayPicture picture;
  picture.path = path;
  picture.width = state.image.width;
  picture.height = state.image.height;
  if (!ReadAlpha(state.image, picture.alpha))
    return;
  if (std::all_of(picture.alpha.begin(), picture.alpha.end(), [](auto a) { return a == 255; }))
    gRun->notes.push_back(Format(msg::kLintOpaque, path.c_str(), line.c_str()));
  if (DescriptorSaysRightToLeft(path))
    gRun->notes.push_back(Format(msg::kLintRightToLeft, path.c_str(), line.c_str()));
  gRun->pictures.push_back(std::move(picture));
}

// Pixels in the glyph's box that the grabber counts as ink (any byte set) but whose alpha is
// below 16, so that they store as coverage 0.
int FaintInk(Image& image, const PictureBox& box) {
  PixelRows rows;
  if (ReadRows(image, box.y, box.y + box.height, rows) != nullptr)
    return 0;
  int count = 0;
  for (int y = 0; y < box.height; ++y) {
    for (int x = 0; x < box.width; ++x) {
      const std::uint8_t* pixel = rows.Pixel(y, box.x + x);
      if (pixel[kAlphaByte] < 16 && (pixel[0] | pixel[1] | pixel[2] | pixel[3]) != 0)
        ++count;
    }
  }
  return count;
}

void NoteGlyphs(Image& image, const std::vector<OverlayGlyph>& glyphs, const std::string& line) {
  std::vector<int> widths;
  for (const OverlayGlyph& glyph : glyphs) widths.push_back(glyph.ink.width);
  std::nth_element(widths.begin(), widths.begin() + static_cast<long>(widths.size() / 2),
                   widths.end());
  const int median = widths.empty() ? 0 : widths[widths.size() / 2];
  for (const OverlayGlyph& glyph : glyphs) {
    const char* set = SetName(glyph.shadow);
    if (const int faint = FaintInk(image, glyph.ink); faint > 0)
      gRun->notes.push_back(Format(msg::kLintFaintInk, set, glyph.index, line.c_str(), faint));
    if (glyph.ink.width > 255 || glyph.ink.height > 255) {
      gRun->notes.push_back(Format(msg::kLintTooLarge, set, glyph.index, line.c_str(),
                                   glyph.ink.width, glyph.ink.height));
    }
    if (glyphs.size() >= 3 && glyph.ink.width > 2 * median && glyph.ink.width >= median + 4) {
      gRun->notes.push_back(
          Format(msg::kLintMerged, set, glyph.index, line.c_str(), glyph.ink.width, median));
    }
  }
}

void RecordGrab(BuildState& state, Console& console, const std::string& line) {
  const bool shadow = state.section == Section::Shadow;
  const GlyphSet& set = shadow ? state.shadowSet : state.fontSet;
  const int before = set.count;
  HandleGrab(state, console, line);
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t count = 0;
  if (!ScanGrab(line, x, y, count) || state.section == Section::None || !HasPixels(state.image) ||
      gRun->pictures.empty())
    return;
  OverlayPicture& picture = gRun->pictures.back();
  // The band runs from the grab's column to where the cursor stopped, or to the picture's edge
  // when the scan found nothing more.
  const int end =
      state.cursor.x > x && set.count - before == count ? state.cursor.x : state.image.width;
  picture.bands.push_back({x, y, std::max(end - x, 0), std::max(state.settings.maxHeight, 0)});
  std::vector<OverlayGlyph> grabbed;
  for (int i = before; i < set.count; ++i) {
    const Glyph& glyph = set.glyphs[static_cast<std::size_t>(i)];
    grabbed.push_back({shadow, i, {glyph.x, glyph.y + glyph.top, glyph.width, glyph.height}});
  }
  NoteGlyphs(state.image, grabbed, line);
  picture.glyphs.insert(picture.glyphs.end(), grabbed.begin(), grabbed.end());
}

const Command* RecordingTable() {
  static const std::vector<Command> table =
      TableReplacing(kCommandTable, {{HandleLoadTga, RecordLoad}, {HandleGrab, RecordGrab}});
  return table.data();
}

void NoteSets(const BuildState& state) {
  const int faces = state.fontSet.count;
  const int shadows = state.shadowSet.count;
  if (shadows > 0 && shadows != faces)
    gRun->notes.push_back(Format(msg::kLintSetSizes, faces, shadows));
  const auto codes = static_cast<int>(
      std::find(state.settings.charSet.begin(), state.settings.charSet.end(), '\0') -
      state.settings.charSet.begin());
  if (codes < faces)
    gRun->notes.push_back(Format(msg::kLintShortCharSet, codes, faces, codes, faces - 1));
}

PictureBox Zoomed(const PictureBox& box, int zoom) {
  return {kOverlayMargin + box.x * zoom, kOverlayMargin + box.y * zoom, box.width * zoom,
          box.height * zoom};
}

// The outline one canvas pixel outside the zoomed box, so that it frames the ink and hides none.
void Frame(Canvas& canvas, const PictureBox& box, int zoom, Colour colour) {
  const PictureBox at = Zoomed(box, zoom);
  canvas.Outline(at.x - 1, at.y - 1, at.width + 2, at.height + 2, colour);
}

}  // namespace

OverlayRun RunOverlay(Console& console, const std::string& path) {
  OverlayRun run;
  std::istringstream noKeys;  // the waits after errors find no key and go on at once
  Console quiet{console.out, console.err, noKeys};
  BuildState state;
  gRun = &run;
  RunScript(state, quiet, path.c_str(), RecordingTable());
  NoteSets(state);
  Verbose(state, quiet, msg::kWidest, state.widest);
  Verbose(state, quiet, msg::kHighest, state.highest);
  gRun = nullptr;
  run.sawError = quiet.sawError;
  return run;
}

int OverlayZoom(const OverlayPicture& picture, int zoom) {
  const int side = std::max({picture.width, picture.height, 1});
  return std::max(1, std::min(zoom, kMaxOverlaySide / side));
}

Canvas RenderOverlay(const OverlayPicture& picture, int zoom) {
  zoom = OverlayZoom(picture, zoom);
  Canvas canvas(picture.width * zoom + 2 * kOverlayMargin,
                picture.height * zoom + 2 * kOverlayMargin, kOverlayBackground);
  // The joins go under the ink, so that they never hide a glyph.
  for (const OverlayGlyph& face : picture.glyphs) {
    for (const OverlayGlyph& shadow : picture.glyphs) {
      if (!face.shadow && shadow.shadow && face.index == shadow.index) {
        const PictureBox a = Zoomed(face.ink, zoom);
        const PictureBox b = Zoomed(shadow.ink, zoom);
        canvas.Line(a.x + a.width / 2, a.y + a.height / 2, b.x + b.width / 2, b.y + b.height / 2,
                    kJoin, kJoinWeight);
      }
    }
  }
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t alpha = picture.alpha[static_cast<std::size_t>(y) * picture.width + x];
      if (alpha > 0)
        canvas.Fill(kOverlayMargin + x * zoom, kOverlayMargin + y * zoom, zoom, zoom, kPictureInk,
                    alpha);
    }
  }
  for (const PictureBox& band : picture.bands) Frame(canvas, band, zoom, kBandOutline);
  for (const OverlayGlyph& glyph : picture.glyphs) {
    const Colour colour = glyph.shadow ? kShadowBox : kFaceBox;
    Frame(canvas, glyph.ink, zoom, colour);
    // Face numbers above their boxes, shadow numbers below, so that the two never collide.
    const PictureBox at = Zoomed(glyph.ink, zoom);
    const int labelY = glyph.shadow ? at.y + at.height + 2 : at.y - 2 - NumberHeight();
    canvas.Number(at.x, labelY, glyph.index, colour);
  }
  return canvas;
}

std::string OverlayPath(const std::string& out, int number) {
  if (number <= 1)
    return out;
  const std::string suffix = "-" + std::to_string(number);
  const bool png = out.size() >= 4 && EqualsIgnoringAsciiCase(out.substr(out.size() - 4), ".png");
  return png ? out.substr(0, out.size() - 4) + suffix + out.substr(out.size() - 4) : out + suffix;
}

}  // namespace typekiln
