#pragma once

// Every text typekiln-inspect prints: its usage, its errors, the problems it finds in a font,
// the notes on a script, the listing and the diff. The mechanism, and the texts the three tools
// share, are in report/messages.h.

#include "report/messages.h"

namespace typekiln::msg {

// Font problems, found when a font is read back. Each names the field or the entry and bitmap
// (kFace or kShadow) it is about. The numbers of the layout come from the font format.
inline constexpr char kFace[] = "face";
inline constexpr char kShadow[] = "shadow";
inline constexpr char kFontTooShort[] = "The file is %s, too short for the %d-byte header";
inline constexpr char kNoGlyphs[] = "The font holds no glyphs";
inline constexpr char kBadTag[] = "Header: tag %d is \"%s\", should be \"%s\"";
inline constexpr char kBadConstant[] = "Header: the constant at byte %d is %u, should be %u";
inline constexpr char kBadOrientation[] =
    "Header: orientation is %d, should be %d (horizontal) or %d (vertical)";
inline constexpr char kTooManyEntries[] = "Header: glyph count %d is more than %d";
inline constexpr char kHeaderNotZero[] = "Header: byte %d is %d, should be 0";
inline constexpr char kTablePastEnd[] =
    "Table: %s at byte %llu, past the end of the file at %llu; %s read";
inline constexpr char kEntryNotZero[] = "Entry %d: byte %d is %d, should be 0";
inline constexpr char kOffsetOffGrid[] = "Entry %d %s: offset %u is not a multiple of %d";
inline constexpr char kWrongStride[] = "Entry %d %s: stride is %d, should be %d for width %d";
inline constexpr char kBlockInTable[] =
    "Entry %d %s: block at %u starts inside the header and table, which end at %llu";
inline constexpr char kBlockPastEnd[] =
    "Entry %d %s: block at %u of %llu bytes ends at %llu, past the end of the file at %llu";
inline constexpr char kBlocksOverlap[] =
    "Entry %d %s: block at %u overlaps the block of entry %d %s, which ends at %llu";
inline constexpr char kSampleTooHigh[] =
    "Entry %d %s: a sample above %d (%d at column %d of row %d), %llu in all";
inline constexpr char kPaddingNotZero[] =
    "Entry %d %s: a non-zero byte in the row padding (%d at byte %d of row %d), %llu in all";
inline constexpr char kFillNotZero[] =
    "Entry %d %s: non-zero fill before its block: %llu of the %s from %llu";

// typekiln-inspect. Its output goes through Say and its errors through its one error path; both
// end a text with a newline. Its errors print without waiting for a key: it is a checking tool
// that build scripts run.
inline constexpr char kInspectUsage[] =
    "Usage: typekiln-inspect FONT [--glyph N]\n"
    "       typekiln-inspect --diff OLD NEW\n"
    "       typekiln-inspect --preview OUT.png FONT [--zoom N]\n"
    "       typekiln-inspect --check SCRIPT\n"
    "       typekiln-inspect --overlay OUT.png SCRIPT [--zoom N]\n"
    "       typekiln-inspect --render OUT.png FONT TEXT\n"
    "       typekiln-inspect --version";
inline constexpr char kInspectHelp[] =
    "Lists a typekiln font file and checks every field of it:\n"
    "  typekiln-inspect FONT            the header, one row per table entry, then every problem\n"
    "  typekiln-inspect FONT --glyph N  also the face and shadow bitmaps of entry N, upright\n"
    "  typekiln-inspect --diff OLD NEW  what differs between two fonts; silent when they match\n"
    "  --preview OUT.png FONT           a contact sheet of the font and a sample line set in it\n"
    "  --check SCRIPT                   runs the script as typekiln does, writes nothing, and\n"
    "                                   notes likely mistakes\n"
    "  --overlay OUT.png SCRIPT         the same notes, and a drawing of where each glyph was\n"
    "                                   found, one PNG per picture (OUT-2.png...)\n"
    "  --render OUT.png FONT TEXT       TEXT set as a game sets it with the runtime: white faces,\n"
    "                                   black shadows, a transparent background\n"
    "  --zoom N                         canvas pixels per picture pixel (preview 4, overlay 3)\n"
    "  --version                        the version of typekiln this tool belongs to\n"
    "Exit status: 0 well-formed (or equal, or a script with no error and no note), 1 problems (or\n"
    "differences, or an error or a note; --overlay: an error only), 2 a file that cannot be read\n"
    "or bad arguments.";
// Then the libraries built into the tool, with the credit their licences ask for.
inline constexpr char kInspectVersion[] =
    "typekiln-inspect %s\n"
    "Includes %s; and stb_image_write, by Sean Barrett.";
inline constexpr char kUnknownArgument[] = "Unknown argument: '%s'";
inline constexpr char kNotAFont[] = "Not a typekiln font: '%s'";
inline constexpr char kRenderNeedsText[] =
    "--render needs the text to set after the font: typekiln-inspect --render OUT.png FONT TEXT";
inline constexpr char kOutputIsFolder[] = "'%s' is a folder";
inline constexpr char kBadGlyphNumber[] = "--glyph needs an entry number, not '%s'";
inline constexpr char kNoSuchEntry[] = "No entry %d: the font has %d";
inline constexpr char kFileTooLarge[] = "'%s' is larger than any font can be";
inline constexpr char kBadZoom[] = "--zoom needs a number from 1 to %d, not '%s'";
inline constexpr char kPngWritten[] = "%s: %d x %d";
inline constexpr char kOutputIsNoPng[] = "Will not write the picture over '%s', which is not a PNG";
inline constexpr char kOutputIsInput[] =
    "Will not write '%s' over '%s', which it is drawn from: choose another output";
inline constexpr char kCannotDraw[] = "The game runtime refuses '%s': %s";
inline constexpr char kTextTooLarge[] = "The text is too large to draw: over %lld pixels";
// Notes from --check and --overlay on what typekiln accepts but the artist probably did not
// mean. A note about a line starts with kNoteAt; each says what to do about it.
inline constexpr char kNoteAt[] = "note: line %d \"%s\": %s";
inline constexpr char kNote[] = "note: %s";
inline constexpr char kNoteUnknownCommand[] =
    "\"%s\" is no command, so typekiln ignores the line; did you mean %s?";
inline constexpr char kNoteUnknownWord[] =
    "\"%s\" is no command, so typekiln ignores the line; check its spelling";
inline constexpr char kNoteCut[] =
    "the band (rows %lld to %lld) cuts %s (glyph %d first): the ink goes on %s the band in the "
    "same columns; %s would hold it all";
inline constexpr char kNoteCutBelow[] = "below";
inline constexpr char kNoteCutAbove[] = "above";
inline constexpr char kNoteCutBoth[] = "above and below";
inline constexpr char kNoteHoldBelow[] = "MaxHeight %lld";
inline constexpr char kNoteHoldAbove[] = "a Grab at row %lld with MaxHeight %lld";
inline constexpr char kNoteNotDropShadow[] =
    "%s too far from the faces for a drop shadow: the font keeps shadow glyph %d at dx %d, dy "
    "%d from its face (line %d), and the game draws it there; draw the shadows in a second "
    "picture at the faces' places, or exactly %d rows below them";
inline constexpr char kNoteShadowHidden[] =
    "%s hidden under the faces: shadow glyph %d has the size and top of its face (line %d) and "
    "dx 0, dy 0 from it, so the game draws it behind the face, where it cannot show; draw the "
    "shadows moved by the drop, one pixel right and down, say";
inline constexpr char kNoteHighBytes[] =
    "the CharSet holds %s of UTF-8 characters, the first (0x%02X) as entry %d's code: a UTF-8 "
    "character takes one entry per byte, so every later code moves; write Encoding UTF-8 on a "
    "line above line %d, and each character takes one entry";
inline constexpr char kNoteLineEndDropped[] =
    "the line ends in %s from 0x80 up (%s), which the reader takes for blanks and drops; write "
    "Encoding UTF-8 on a line above it and save the script as UTF-8 to keep them";
inline constexpr char kNoteSharedCode[] =
    "%s an earlier one (the first, '%c', is the code of entries %d and %d): a game finds only "
    "the first entry with a code; give each entry its own";
inline constexpr char kNoteTooLarge[] =
    "%s glyph %d is %lld x %lld, but the font stores width and height in one byte each; draw it "
    "smaller than %d in both directions";
inline constexpr char kNoteMerged[] =
    "%s glyph %d is %lld wide, more than twice the middle width of its set (%lld) and wider "
    "than one glyph is likely to be: two glyphs merged? Leave an empty column between glyphs";
inline constexpr char kNoteSplit[] =
    "%s glyphs %d and %d are two narrow, short marks side by side, alike in height and top, "
    "that together are no wider than an ordinary glyph: one character whose strokes stand "
    "apart (as in '\"') may have been grabbed as two, and every later glyph then takes the "
    "code of the one before; join its strokes with a coloured pixel of alpha 0";
inline constexpr char kNoteStartsInside[] =
    "the Grab starts at column %d, inside %s glyph %d, whose ink begins at column %lld in the "
    "band's rows: the glyph loses its left part; start the Grab at column %lld";
inline constexpr char kNoteReach[] =
    "the band (rows %lld to %lld) reaches into the glyphs of line %d, whose band starts at row "
    "%lld: its glyphs take in their ink; MaxHeight %lld would keep the bands apart";
inline constexpr char kNoteColouredClear[] =
    "%s of the band's %s in '%s' have alpha 0 but a colour, and pixels with alpha 0 but a "
    "colour count as ink: save the picture with fully transparent pixels as black, or clear "
    "their colour";
inline constexpr char kNoteShadowOutOfStep[] =
    "the shadow of %s (glyph %d) lies %lld,%lld from its face and is %lld wider and %lld taller, "
    "where %d of the %d pairs lie %lld,%lld and are %lld wider and %lld taller: draw the face and "
    "its shadow in step (typekiln-import --redraw-shadows redraws an imported sheet's shadows)";
inline constexpr char kNoteBandOffStep[] =
    "its band starts %s %s the step of %lld rows the other bands keep, so its glyphs sit %s "
    "than the rest in every text: Grab %lld,%lld,%d puts them in line";
inline constexpr char kBelow[] = "below";
inline constexpr char kAbove[] = "above";
inline constexpr char kHigher[] = "higher";
inline constexpr char kLower[] = "lower";
inline constexpr char kNoteGrabCounts[] =
    "this Grab took %s where line %d took %s: from here on faces and shadows are out of step; "
    "grab as many of each";
inline constexpr char kNoteFaintInk[] =
    "'%s' has ink with alpha from 1 to %d that stores as coverage 0 but widens the ink box of %s "
    "by 2 pixels or more past what shows (most in %s); clear it or make it stronger";
inline constexpr char kNoteFaintGlyph[] = "%s glyph %d by %lld";
inline constexpr char kNoteUnseenGlyphs[] =
    "'%s' gives %s whose ink all has alpha from 1 to %d (%s glyph %d first): each takes an "
    "entry but stores as coverage 0 and shows nothing; make its ink stronger or leave it out";
inline constexpr char kNoteOpaque[] =
    "'%s' has alpha 255 everywhere, so nothing in it is transparent and every band is ink from "
    "edge to edge; save it with its alpha channel";
inline constexpr char kNoteRightToLeft[] =
    "'%s' has its right-to-left bit (bit 4 of the descriptor) set; typekiln ignores it and "
    "reads every row from left to right, so save it left to right";
inline constexpr char kNoteSetSizes[] =
    "the face set holds %s and the shadow set %s: the entries past the shorter set lack a face "
    "or a shadow";
inline constexpr char kNoteShortCharSet[] =
    "the CharSet holds %s for %s, so %s code 0; add their characters";
inline constexpr char kNoteEntryGets[] = "entry %d gets";
inline constexpr char kNoteEntriesGet[] = "entries %d to %d get";
inline constexpr char kNoteLongCharSet[] =
    "the CharSet holds %s for %s, so %s no glyph; grab the missing glyphs or take their "
    "characters out";
inline constexpr char kNoteCharHas[] = "'%c' has";
inline constexpr char kNoteCharsHave[] = "'%c' and the %s after it have";
inline constexpr char kNoteNothingGrabbed[] =
    "the script grabs no glyph: add a [Font] section and a Grab";
// Said by --check on a clean script and by the listing of a clean font.
inline constexpr char kNoProblems[] = "No problems found.";
inline constexpr char kCheckFound[] = "%s found.";

// The listing.
inline constexpr char kHorizontal[] = "horizontal";
inline constexpr char kVertical[] = "vertical";
inline constexpr char kListingHeader[] = "%s: %s, %s, gap %d, space %d, drop %d %d, %s";
inline constexpr char kListingColumns[] =
    "                 ------------ face ------------  ----------- shadow -----------  position\n"
    "entry char   width height top stride   offset  width height top stride   offset   dx   dy";
inline constexpr char kListingRow[] = "%5d %-5s  %5d %6d %3d %6d %8u  %5d %6d %3d %6d %8u %4d %4d";
inline constexpr char kListingUnnamed[] =
    "%llu bytes follow the last block that an entry names (shadow glyphs without a face)";
inline constexpr char kEntryCodeZero[] =
    "entry %d has the code 0, which ends a text: no text reaches it";
inline constexpr char kEntryCodeTaken[] =
    "entry %d has the code %s, which entry %d has before it: no text reaches it";
inline constexpr char kCodeAndCharacter[] = "%d ('%c')";
inline constexpr char kCodeAlone[] = "%d";
inline constexpr char kListingProblems[] = "%s:";
inline constexpr char kListingProblem[] = "  %s";
inline constexpr char kGlyphTitle[] = "Entry %d %s %s: %d x %d";
inline constexpr char kGlyphAbsent[] = "Entry %d %s %s: none";
// The diff. OLD and NEW are the two files as given.
inline constexpr char kDiffUnreadable[] = "%s: %s";
inline constexpr char kDiffHeader[] = "header: %s %d -> %d";
inline constexpr char kDiffOnlyIn[] = "entry %d %s: only in %s";
inline constexpr char kDiffEntry[] = "entry %d %s: %s";
inline constexpr char kDiffField[] = "%s %d -> %d";
inline constexpr char kDiffSamples[] = "%llu %s %s";
inline constexpr char kDiffUnnamed[] = "bytes after the last named block: %llu -> %llu";
// The fields the diff names.
inline constexpr char kFieldGlyphCount[] = "glyph count";
inline constexpr char kFieldOrientation[] = "orientation";
inline constexpr char kFieldGap[] = "gap";
inline constexpr char kFieldSpace[] = "space";
inline constexpr char kFieldDropX[] = "drop x";
inline constexpr char kFieldDropY[] = "drop y";
inline constexpr char kFieldCode[] = "code";
inline constexpr char kFieldShadowDx[] = "shadow dx";
inline constexpr char kFieldShadowDy[] = "shadow dy";
// A bitmap's fields, after kFace or kShadow.
inline constexpr char kFieldWidth[] = "%s width";
inline constexpr char kFieldHeight[] = "%s height";
inline constexpr char kFieldTop[] = "%s top";
inline constexpr char kFieldStride[] = "%s stride";

}  // namespace typekiln::msg
