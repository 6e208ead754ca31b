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

// Font problems, found when a font is read back. Each names the field or the entry and bitmap
// ("face" or "shadow") it is about.
inline constexpr char kFontTooShort[] = "The file is %llu bytes, too short for the 24-byte header";
inline constexpr char kBadTag[] = "Header: tag %d is \"%s\", should be \"%s\"";
inline constexpr char kBadConstant[] = "Header: the constant at byte 12 is %lu, should be 1";
inline constexpr char kBadOrientation[] =
    "Header: orientation is %d, should be 0 (horizontal) or 1 (vertical)";
inline constexpr char kTooManyEntries[] = "Header: glyph count %d is more than 128";
inline constexpr char kHeaderNotZero[] = "Header: byte %d is %d, should be 0";
inline constexpr char kTablePastEnd[] =
    "Table: %d entries end at byte %llu, past the end of the file at %llu; %llu entries read";
inline constexpr char kEntryNotZero[] = "Entry %d: byte 19 is %d, should be 0";
inline constexpr char kOffsetOffGrid[] = "Entry %d %s: offset %lu is not a multiple of 8";
inline constexpr char kWrongStride[] = "Entry %d %s: stride is %d, should be %d for width %d";
inline constexpr char kBlockInTable[] =
    "Entry %d %s: block at %lu starts inside the header and table, which end at %llu";
inline constexpr char kBlockPastEnd[] =
    "Entry %d %s: block at %lu of %llu bytes ends at %llu, past the end of the file at %llu";
inline constexpr char kBlocksOverlap[] =
    "Entry %d %s: block at %lu overlaps the block of entry %d %s, which ends at %llu";
inline constexpr char kSampleTooHigh[] =
    "Entry %d %s: a sample above 15 (%d at column %d of row %d), %llu in all";
inline constexpr char kPaddingNotZero[] =
    "Entry %d %s: a non-zero byte in the row padding (%d at byte %d of row %d), %llu in all";
inline constexpr char kFillNotZero[] =
    "Entry %d %s: non-zero fill before its block: %llu of the %llu bytes from %llu";

// typekiln-inspect. Its errors print without waiting for a key: it is a checking tool that build
// scripts run.
inline constexpr char kInspectUsage[] =
    "Usage: typekiln-inspect FONT [--glyph N]\n"
    "       typekiln-inspect --diff OLD NEW\n"
    "       typekiln-inspect --preview OUT.png FONT [--zoom N]\n"
    "       typekiln-inspect --overlay OUT.png SCRIPT [--zoom N]\n"
    "       typekiln-inspect --render OUT.png FONT TEXT\n";
inline constexpr char kInspectHelp[] =
    "Lists a typekiln font file and checks every field of it:\n"
    "  typekiln-inspect FONT            the header, one row per table entry, then every problem\n"
    "  typekiln-inspect FONT --glyph N  also the face and shadow bitmaps of entry N, upright\n"
    "  typekiln-inspect --diff OLD NEW  what differs between two fonts; silent when they match\n"
    "  --preview OUT.png FONT           a contact sheet of the font and a sample line set in it\n"
    "  --overlay OUT.png SCRIPT         runs the script without writing a font and draws where\n"
    "                                   each glyph was found, one PNG per picture (OUT-2.png...),\n"
    "                                   with notes on likely mistakes\n"
    "  --render OUT.png FONT TEXT       TEXT set as a game sets it with the runtime: white faces,\n"
    "                                   black shadows, a transparent background\n"
    "  --zoom N                         canvas pixels per picture pixel (preview 4, overlay 3)\n"
    "Exit status: 0 well-formed (or equal), 1 problems (or differences), 2 a file that cannot be\n"
    "read or bad arguments.\n";
inline constexpr char kUnknownArgument[] = "Unknown argument: '%s'\n";
inline constexpr char kBadGlyphNumber[] = "--glyph needs an entry number, not '%s'\n";
inline constexpr char kNoSuchEntry[] = "No entry %d: the font has %d\n";
inline constexpr char kFileTooLarge[] = "'%s' is larger than any font can be\n";
inline constexpr char kBadZoom[] = "--zoom needs a number from 1 to 32, not '%s'\n";
inline constexpr char kCannotWritePng[] = "Cannot write: '%s'\n";
inline constexpr char kPngWritten[] = "%s: %d x %d\n";
inline constexpr char kOutputIsInput[] =
    "Will not write '%s' over '%s', which it is drawn from: choose another output\n";
inline constexpr char kCannotDraw[] = "The game runtime refuses '%s': %s\n";
inline constexpr char kTextTooLarge[] = "The text is too large to draw: over %lld pixels\n";
// Notes from --overlay on what typekiln accepts but the artist probably did not mean. Each
// names the picture or the glyph and the script line.
inline constexpr char kLintFaintInk[] =
    "note: %s glyph %d (line \"%s\"): %d pixels with alpha below 16 count as ink but store as "
    "coverage 0, so the ink box is larger than what shows";
inline constexpr char kLintOpaque[] =
    "note: '%s' (line \"%s\"): alpha is 255 everywhere, so nothing in it is transparent";
inline constexpr char kLintRightToLeft[] =
    "note: '%s' (line \"%s\"): its right-to-left bit (bit 4 of the descriptor) is set; "
    "typekiln ignores it and reads every row from left to right";
inline constexpr char kLintSetSizes[] = "note: the face set holds %d glyphs and the shadow set %d";
inline constexpr char kLintShortCharSet[] =
    "note: CharSet holds %d codes for %d face glyphs: entries %d to %d get code 0";
inline constexpr char kLintTooLarge[] =
    "note: %s glyph %d (line \"%s\"): %d x %d does not fit the one-byte width and height fields";
inline constexpr char kLintMerged[] =
    "note: %s glyph %d (line \"%s\"): %d wide, more than twice its band's median of %d; "
    "two glyphs merged?";
// The listing.
inline constexpr char kListingHeader[] =
    "%s: %llu bytes, %s, gap %d, space %d, drop %d %d, %d glyphs\n";
inline constexpr char kListingColumns[] =
    "                 ------------ face ------------  ----------- shadow -----------  position\n"
    "entry char   width height top stride   offset  width height top stride   offset   dx   dy\n";
inline constexpr char kListingRow[] =
    "%5d %-5s  %5d %6d %3d %6d %8lu  %5d %6d %3d %6d %8lu %4d %4d\n";
inline constexpr char kListingUnnamed[] =
    "%llu bytes follow the last block that an entry names (shadow glyphs without a face)\n";
inline constexpr char kListingNoProblems[] = "No problems found.\n";
inline constexpr char kListingProblems[] = "%llu problems:\n";
inline constexpr char kListingProblem[] = "  %s\n";
inline constexpr char kGlyphTitle[] = "Entry %d %s %s: %d x %d\n";
inline constexpr char kGlyphAbsent[] = "Entry %d %s %s: none\n";
// The diff. OLD and NEW are the two files as given.
inline constexpr char kDiffUnreadable[] = "%s: %s\n";
inline constexpr char kDiffHeader[] = "header: %s %d -> %d\n";
inline constexpr char kDiffOnlyIn[] = "entry %d %s: only in %s\n";
inline constexpr char kDiffEntry[] = "entry %d %s: %s\n";
inline constexpr char kDiffField[] = "%s %d -> %d";
inline constexpr char kDiffSamples[] = "%llu %s samples differ";
inline constexpr char kDiffUnnamed[] = "bytes after the last named block: %llu -> %llu\n";

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
