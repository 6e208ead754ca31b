#pragma once

// Every text the tools print, in one table. typekiln's errors go through ReportError (standard
// error, then a wait for one character); verbose texts go through Verbose (standard output, only
// while the script has reporting switched on).

namespace typekiln::msg {

// What the notes and listings count, one and many.
struct Noun {
  const char* one;
  const char* many;
};
inline constexpr Noun kGlyphs{"glyph", "glyphs"};
inline constexpr Noun kFaceGlyphs{"face glyph", "face glyphs"};
inline constexpr Noun kShadowGlyphs{"shadow glyph", "shadow glyphs"};
inline constexpr Noun kCodes{"code", "codes"};
inline constexpr Noun kCharacters{"character", "characters"};
inline constexpr Noun kBytes{"byte", "bytes"};
inline constexpr Noun kPixels{"pixel", "pixels"};
inline constexpr Noun kRows{"row", "rows"};
inline constexpr Noun kProblems{"problem", "problems"};
inline constexpr Noun kNotes{"note", "notes"};
inline constexpr Noun kNotesNotShown{"more note is not shown", "more notes are not shown"};
inline constexpr Noun kEntries{"entry", "entries"};
inline constexpr Noun kEntriesEnd{"entry ends", "entries end"};
inline constexpr Noun kShadowGlyphsLie{"shadow glyph lies", "shadow glyphs lie"};
inline constexpr Noun kEntriesRepeat{"entry repeats", "entries repeat"};
inline constexpr Noun kSamplesDiffer{"sample differs", "samples differ"};

// Errors: the run.
inline constexpr char kUsage[] = "Usage: TYPEKILN <Script file> <Output file>";
inline constexpr char kCannotOpen[] = "Cannot open: '%s'";
inline constexpr char kCannotRead[] = "Cannot read: '%s'";
inline constexpr char kNotAScriptFont[] =
    "Not a script: '%s' is a typekiln font (the script comes first, then the font to write)";
inline constexpr char kNotAScriptBinary[] = "Not a script: '%s' holds binary data";
inline constexpr char kWillNotOverwrite[] =
    "Will not write the font over '%s', which the script reads";
inline constexpr char kWillNotOverwriteOther[] =
    "Will not write the font over '%s', which is not a typekiln font";
// After the last message of a run with errors, when standard input is a terminal: the wait would
// otherwise look like a hang.
inline constexpr char kPressEnter[] = "Press Enter to go on.";

// typekiln --help (kUsage, then kHelp) and --version, on standard output through Say.
inline constexpr char kHelp[] =
    "  <Script file>  the script: which pictures to load, where their glyphs lie, the settings\n"
    "  <Output file>  the font to write: replaced only by a whole font, never over an input\n"
    "Check a script first with typekiln-inspect --check <Script file>; all else: man typekiln";
inline constexpr char kVersion[] = "typekiln %s\nIncludes %s.";
// The libraries that read PNG pictures, in each tool's --version.
inline constexpr char kPngLibraries[] =
    "libspng %d.%d.%d, by Randy; zlib %s, by Jean-loup Gailly and Mark Adler";

// Errors: script lines. Each carries the whole line.
inline constexpr char kMissingValue[] = "Missing value at following line:\n%s";
inline constexpr char kUnknownType[] = "Unknown type at line\n%s";
inline constexpr char kUnknownEncoding[] = "Unknown encoding at following line:\n%s";
inline constexpr char kNotLatin1[] = "Not a Latin-1 character at following line:\n%s";
inline constexpr char kUnknownState[] = "Unknown state at following line:\n%s";
inline constexpr char kNoPicture[] = "No picture to grab from at following line:\n%s";
inline constexpr char kTooManyGlyphs[] = "Too many glyphs at following line:\n%s";
inline constexpr char kGlyphNotFound[] = "Glyph not found at following line:\n%s";
inline constexpr char kGlyphTooLarge[] = "Not enough memory for the glyph at following line:\n%s";

// Errors: pictures. Each carries the picture's path.
inline constexpr char kNotTrueColour[] = "'%s' is not a true-colour TGA!";
inline constexpr char kNot32Bpp[] = "'%s' is not 32bpp!";
inline constexpr char kTruncated[] = "'%s' is truncated";
inline constexpr char kPngCutShort[] = "'%s' is a PNG cut short: it ends before its last pixel";
inline constexpr char kPngChecksum[] =
    "'%s' is a damaged PNG: a chunk's checksum does not match its data";
inline constexpr char kPngDamaged[] = "'%s' is a damaged PNG: its data does not decode";
inline constexpr char kPictureTooLarge[] = "'%s' is too large to hold in memory";

// Errors: the font file. Each carries the output path.
inline constexpr char kCannotCreate[] = "Cannot create: '%s'";
inline constexpr char kCannotWrite[] = "Cannot write: '%s'";
inline constexpr char kFontTooLarge[] = "Font too large for 32-bit offsets: '%s'";

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

// A line as it is, and two lines, for texts made elsewhere.
inline constexpr char kLine[] = "%s";
inline constexpr char kTwoLines[] = "%s\n%s";
// A byte that is no printable character, as a listing or a note shows it.
inline constexpr char kByteEscape[] = "\\x%02X";
inline constexpr char kListSeparator[] = ", ";

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

// typekiln-import: its usage and errors (each ends the run with status 1), and its remarks.
// Each is said on standard error after kImportPrefix.
inline constexpr char kImportPrefix[] = "typekiln-import: ";
inline constexpr char kImportUsage[] =
    "Usage: typekiln-import [--size PX] [--chars TEXT] [--mono] [--shadow drop|outline|none]\n"
    "                       [--shadow-offset DX,DY] [--face N] [--force] FONT OUTDIR\n"
    "       typekiln-import --redraw-shadows OUTDIR";
inline constexpr char kImportHelp[] =
    "Draws FONT's characters into OUTDIR/faces.tga (the faces), as an artist would draw them,\n"
    "and for an outline OUTDIR/shadows.tga (their shadows), and writes OUTDIR/font.tks, the\n"
    "script that builds them into a font: cd OUTDIR && typekiln font.tks font.fnt\n"
    "\n"
    "FONT is a font FreeType reads (TrueType, OpenType, BDF, PCF, .pcf.gz) or a BMFont\n"
    "descriptor (.fnt, in text, XML or binary form) with its pages beside it.\n"
    "\n"
    "  --size PX              the size in pixels: a scalable font's pixel size, or the height of\n"
    "                         a bitmap font's strike (default: a bitmap font's first strike, or\n"
    "                         the smallest size from 6 to 48 at which the font is a pixel font)\n"
    "  --chars TEXT           the characters, from U+0021 to U+00FF, in UTF-8 (default: ! to ~)\n"
    "  --mono                 render a scalable font in black and white\n"
    "  --shadow drop          each face again, moved by --shadow-offset: the font's Drop\n"
    "                         (the default)\n"
    "  --shadow outline       each face grown by a pixel all round\n"
    "  --shadow none          no shadows\n"
    "  --shadow-offset DX,DY  where the drop shadow lies, right and down (default 1,1)\n"
    "  --face N               the face of a font collection, from 0\n"
    "  --force                replace faces.tga, shadows.tga and font.tks if they exist\n"
    "  --redraw-shadows       draw OUTDIR/shadows.tga again from its retouched faces.tga\n"
    "\n"
    "Exit status: 0 written, 1 the font cannot be used or the files cannot be written (nothing\n"
    "is written then), 2 wrong arguments.";
inline constexpr char kImportVersion[] =
    "typekiln-import %s\n"
    "Includes FreeType %d.%d.%d; %s; and stb_image, by Sean Barrett.\n"
    "Portions of this software are copyright (C) 2022 The FreeType Project (www.freetype.org).\n"
    "All rights reserved.";
inline constexpr char kImportMissingValue[] = "%s wants a value";
inline constexpr char kImportUnknownOption[] =
    "unknown option '%s'; typekiln-import --help lists them";
inline constexpr char kImportBadSize[] =
    "--size wants a whole number of pixels from 1 to %d, not '%s'";
inline constexpr char kImportBadFace[] = "--face wants a face number from 0 to %d, not '%s'";
inline constexpr char kImportBadShadow[] = "--shadow wants drop, outline or none, not '%s'";
inline constexpr char kImportBadOffset[] =
    "--shadow-offset wants DX,DY: two whole numbers from -%d to %d, not both 0, not '%s'";
inline constexpr char kImportCharsNotUtf8[] = "--chars is no UTF-8 text (at character %d)";
inline constexpr char kImportCharsOutOfRange[] =
    "--chars holds U+%04X (character %d); a font's codes are U+0021 to U+00FF";
inline constexpr char kImportCharsEmpty[] = "--chars holds no character";
inline constexpr char kImportCharsTooMany[] =
    "--chars holds %d characters; a script's CharSet line holds at most %d of these";
inline constexpr char kImportCharsTakenOnce[] =
    "--chars gives %s more than once, each drawn once: %s";
inline constexpr char kImportNotAFile[] =
    "'%s' is no regular file; name a font file, not a folder, a FIFO or a device";
inline constexpr char kImportFontTooLarge[] =
    "'%s' is larger than %d MiB, the most typekiln-import reads of a font";
inline constexpr char kImportNotAFont[] = "'%s' is no font FreeType can read (FreeType: %s)";
inline constexpr char kImportInflatesTooLarge[] =
    "'%s' inflates to more than %d MiB, the most typekiln-import takes of a font";
inline constexpr char kImportNoSuchFace[] = "'%s' holds %d faces; --face counts them from 0";
inline constexpr char kImportNoSuchStrike[] =
    "'%s' has no strike of %d pixels; its strikes are %s pixels high";
inline constexpr char kImportNoStrikes[] = "'%s' is a bitmap font without a single strike";
inline constexpr char kImportNotPixelFont[] =
    "'%s' is no pixel font at any size from %d to %d pixels (its edges are partly covered); "
    "give the size with --size";
inline constexpr char kImportCannotSize[] = "'%s' cannot be set at %d pixels (FreeType: %s)";
inline constexpr char kImportDesignTooLarge[] =
    "'%s' spans %d pixels at %d pixels, and typekiln-import draws fonts that span at most %d; "
    "choose a smaller --size";
inline constexpr char kImportCannotRender[] = "'%s' cannot render %s at %d pixels (FreeType: %s)";
inline constexpr char kImportBadBitmap[] =
    "'%s' gives a damaged bitmap for %s at %d pixels: its rows do not fit their buffer";
inline constexpr char kImportTooSlow[] =
    "'%s' takes more than %d seconds to render, the most typekiln-import gives a font";
inline constexpr char kImportGlyphTooLarge[] =
    "'%s' draws %s larger than %d pixels at %d pixels; %s";
inline constexpr char kImportNoGlyphs[] = "'%s' has none of the characters asked for";
inline constexpr char kImportNoInk[] =
    "'%s' draws every character asked for without ink: it holds no shapes for them";
inline constexpr char kImportCellTooWide[] =
    "%s of '%s' needs a cell %d pixels wide, and a font holds at most %d; %s";
inline constexpr char kImportBandTooTall[] =
    "the characters of '%s' span %d rows with their shadows, and a font holds at most %d; %s";
inline constexpr char kImportSpaceTooWide[] =
    "the space of '%s' advances %d pixels, and a font's Space holds at most %d; %s";
inline constexpr char kImportOutsideSheet[] =
    "a character of '%s' fell outside the sheet as it was laid out, so nothing is written; "
    "please report it with the font";
// How to make a font's glyphs smaller, by the kind of font.
inline constexpr char kImportAdviseSize[] = "choose a smaller --size";
inline constexpr char kImportAdviseStrike[] = "choose a smaller strike with --size";
inline constexpr char kImportAdviseBmFont[] =
    "export the font at a smaller size from the tool that made it";
inline constexpr char kImportNotAFolder[] = "'%s' is no folder; name a folder to write into";
inline constexpr char kImportCannotMakeFolder[] = "cannot create the folder '%s'";
inline constexpr char kImportOverInput[] =
    "will not write '%s' over '%s', which the font is made from; choose another folder";
inline constexpr char kImportExists[] = "'%s' exists; add --force to replace it";
inline constexpr char kImportNotOurs[] =
    "'%s' is no sheet or script typekiln-import writes, so it is not replaced; move it away, or "
    "choose another folder";
inline constexpr char kImportNotImported[] =
    "'%s' was not written by typekiln-import, so the shadows it draws are not known";
inline constexpr char kImportNoShadowSheet[] = "'%s' has no shadows.tga to redraw: its shadows %s";
inline constexpr char kImportFacesAreShadows[] =
    "are the faces themselves, which the game draws again at the script's Drop";
inline constexpr char kImportNoShadows[] = "are none, as it was imported with --shadow none";
inline constexpr char kImportSheetTooLarge[] =
    "'%s' is %d x %d pixels, larger than any sheet typekiln-import draws (%lld pixels at most)";
inline constexpr char kImportShadowsOffSheet[] =
    "the shadows drawn from '%s' would reach past its edge; keep its faces clear of the edge";
inline constexpr char kImportRedrawn[] = "'%s' drawn again from '%s'";
inline constexpr char kImportOutputNotAFile[] =
    "'%s' is no regular file; typekiln-import replaces only files";
inline constexpr char kImportReadOnly[] =
    "'%s' is read-only; make it writable to replace it, or choose another folder";
inline constexpr char kImportCannotReplace[] = "cannot put '%s' in place; every file is as it was";
inline constexpr char kImportLeftInPart[] =
    "the files could not all be put in place, nor all the old ones put back: "
    "the old ones are in '%s'";
// Remarks on a run that goes on, on standard error.
inline constexpr char kImportMissing[] = "'%s' lacks %s, left out: %s";
inline constexpr char kImportKerning[] =
    "'%s' has %s, which a typekiln font cannot carry: they are left out";
inline constexpr char kImportKerningUncounted[] =
    "'%s' has kerning, which a typekiln font cannot carry: it is left out";
inline constexpr char kImportOutsideAdvance[] =
    "%s put ink outside the advance box, so each advances by the box that holds both: %s";
inline constexpr char kImportSpaceGuessed[] =
    "'%s' has no space character: Space is %d, the middle advance of its characters";
// What the run wrote, on standard output.
inline constexpr char kImportWrote[] =
    "%s of %s drawn into '%s'; build the font there with: typekiln %s font.fnt";
// The comment that opens the script.
inline constexpr char kScriptMadeFrom[] = "Drawn by typekiln-import from %s:";
inline constexpr char kScriptOptions[] = "Options:%s";
inline constexpr char kScriptBuild[] = "Build the font in this folder with: typekiln %s font.fnt";
inline constexpr char kScriptRetouch[] =
    "The white pixels of alpha 1 in each cell hold its advance: keep them when retouching.";
inline constexpr Noun kKerningPairs{"kerning pair", "kerning pairs"};

// typekiln-import: fonts read through FreeType.
inline constexpr char kFreeTypeDescription[] = "%s %s, %d px, %s";
inline constexpr char kGreyMode[] = "anti-aliased";
inline constexpr char kFreeTypeOutOfMemory[] =
    "more memory than the %d MiB typekiln-import lets FreeType hold for one font";
inline constexpr char kFreeTypeErrorCode[] = "error %d";
inline constexpr char kMonoMode[] = "monochrome";
inline constexpr char kBitmapMode[] = "bitmap strike";

// typekiln-import: BMFont descriptors and their pages.
// Each error is where (the descriptor, and its line or byte when the problem is at one place),
// then what is wrong: "'font.fnt' line 7: char has no id".
inline constexpr char kBmFontAtLine[] = "'%s' line %d: ";
inline constexpr char kBmFontAtByte[] = "'%s' byte %lld: ";
inline constexpr char kBmFontIn[] = "'%s': ";
inline constexpr char kBmFontVersion[] = "binary version %lld; only version 3 is read";
inline constexpr char kBmFontNoVersion[] = "the file ends before the version byte";
inline constexpr char kBmFontBlockHeaderCut[] = "the file ends inside a block's type and size";
inline constexpr char kBmFontBlockPastEnd[] =
    "block %d of %lld bytes runs past the end of the file";
inline constexpr char kBmFontBlockType[] = "block type %d is none of 1 to 5";
inline constexpr char kBmFontBlockTooShort[] = "block %d of %lld bytes is too short for its fields";
inline constexpr char kBmFontBlockRecords[] =
    "block %d of %lld bytes does not hold whole %lld-byte records";
inline constexpr char kBmFontNameNotEnded[] = "block %d: the last name does not end in a NUL byte";
inline constexpr char kBmFontStringNotClosed[] = "a quoted value has no closing quote";
inline constexpr char kBmFontBadXml[] = "malformed XML markup";
inline constexpr char kBmFontBadEntity[] = "'%s' is not an XML entity";
inline constexpr char kBmFontBadNumber[] = "%s=%s is not a whole number";
inline constexpr char kBmFontOutOfRange[] = "%s=%s is out of range (%lld to %lld)";
inline constexpr char kBmFontNoCharId[] = "char has no id";
inline constexpr char kBmFontNoPageId[] = "page has no id";
inline constexpr char kBmFontTooManyChars[] = "more than %lld chars";
inline constexpr char kBmFontTooManyKerningPairs[] = "more than %lld kerning pairs";
inline constexpr char kBmFontNoCommon[] = "no common record, which gives the baseline";
inline constexpr char kBmFontPageNotNamed[] = "char %u is on page %d, which no page record names";
inline constexpr char kBmFontPageAbsolute[] =
    "page %d '%s' is an absolute path; pages are named from the descriptor's folder";
inline constexpr char kBmFontPageClimbs[] =
    "page %d '%s' leads out of the descriptor's folder (..)";
inline constexpr char kBmFontPageLinksOut[] =
    "page %d '%s' is reached through a link that leads out of the descriptor's folder";
inline constexpr char kBmFontPageNotFile[] = "page %d '%s' is no regular file";
inline constexpr char kBmFontPageCannotRead[] = "page %d '%s' cannot be read";
inline constexpr char kBmFontPageFileTooLarge[] = "page %d '%s' is larger than %lld MiB";
inline constexpr char kBmFontPageNotPicture[] = "page %d '%s' is not a PNG or TGA picture";
inline constexpr char kBmFontPageTooLarge[] =
    "page %d '%s' is %d x %d pixels: more than %lld on a side or %lld in all";
inline constexpr char kBmFontPageDamaged[] = "page %d '%s' is damaged: its pixels do not decode";
inline constexpr char kBmFontPagesTooLarge[] =
    "the pages to read hold more than %lld pixels together";
inline constexpr char kBmFontCharOutsidePage[] =
    "char %u lies outside its page %d (%d x %d pixels)";
inline constexpr char kBmFontGlyphsTooLarge[] =
    "the chars asked for cover more than %lld pixels together";
// The imported font's description, for the script's comment.
inline constexpr char kBmFontDescription[] = "BMFont \"%s\", size %d";

}  // namespace typekiln::msg
