#pragma once

// Every text the tool prints, in one table. Errors go through ReportError (standard error, then a
// wait for one character); verbose texts go through Verbose (standard output, only while the
// script has reporting switched on).

namespace typekiln::msg {

// Errors: the run.
inline constexpr char kUsage[] = "Usage: TYPEKILN <Script file> <Output file>";
inline constexpr char kCannotOpen[] = "Cannot open: '%s'";
inline constexpr char kCannotRead[] = "Cannot read: '%s'";

// Errors: script lines. Each carries the whole line.
inline constexpr char kMissingValue[] = "Missing value at following line:\n%s";
inline constexpr char kUnknownType[] = "Unknown type at line\n%s";
inline constexpr char kUnknownState[] = "Unknown state at following line:\n%s";
inline constexpr char kNoPicture[] = "No picture to grab from at following line:\n%s";
inline constexpr char kTooManyGlyphs[] = "Too many glyphs at following line:\n%s";
inline constexpr char kGlyphNotFound[] = "Glyph not found at following line:\n%s";
inline constexpr char kGlyphTooLarge[] = "Not enough memory for the glyph at following line:\n%s";

// Errors: pictures. Each carries the picture's path.
inline constexpr char kNotTrueColour[] = "'%s' is not a true-colour TGA!";
inline constexpr char kNot32Bpp[] = "'%s' is not 32bpp!";
inline constexpr char kTruncated[] = "'%s' is truncated";
inline constexpr char kPictureTooLarge[] = "'%s' is too large to hold in memory";

// Errors: the font file. Each carries the output path.
inline constexpr char kCannotCreate[] = "Cannot create: '%s'";
inline constexpr char kCannotWrite[] = "Cannot write: '%s'";
inline constexpr char kFontTooLarge[] = "Font too large for 32-bit offsets: '%s'";

// Verbose progress.
inline constexpr char kLoading[] = "Loading %s\n";
inline constexpr char kHorizontalType[] = "Horizontal type\n";
inline constexpr char kVerticalType[] = "Vertical type\n";
inline constexpr char kGapEcho[] = "Gap = %d\n";
inline constexpr char kSpaceEcho[] = "Space = %d\n";
inline constexpr char kDropEcho[] = "Drop = %dx%d\n";
inline constexpr char kMaxHeightEcho[] = "MaxHeight = %d\n";
inline constexpr char kCharSetEcho[] = "CharSet = %s\n";
inline constexpr char kWidest[] = "Widest: %d\n";
inline constexpr char kHighest[] = "Highest: %d\n";

}  // namespace typekiln::msg
