#pragma once

// typekiln's texts, and those the three tools share. typekiln's errors go through ReportError
// (standard error, then a wait for one character); verbose texts go through Verbose (standard
// output, only while the script has reporting switched on). typekiln-inspect's own texts are in
// inspect/inspect_messages.h, typekiln-import's in import/import_messages.h.

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

// Errors: a set of files written together (io/file_set.h), as typekiln-import writes its sheets
// and script. Each carries a path; a file that cannot be created or written says kCannotCreate
// or kCannotWrite.
inline constexpr char kFileSetNotAFolder[] = "'%s' is no folder; name a folder to write into";
inline constexpr char kFileSetCannotMakeFolder[] = "cannot create the folder '%s'";
inline constexpr char kFileSetExists[] = "'%s' exists; add --force to replace it";
inline constexpr char kFileSetNotAFile[] =
    "'%s' is no regular file; typekiln-import replaces only files";
inline constexpr char kFileSetReadOnly[] =
    "'%s' is read-only; make it writable to replace it, or choose another folder";
inline constexpr char kFileSetCannotReplace[] = "cannot put '%s' in place; every file is as it was";
inline constexpr char kFileSetLeftInPart[] =
    "the files could not all be put in place, nor all the old ones put back: "
    "the old ones are in '%s'";

// A line as it is, and two lines, for texts made elsewhere.
inline constexpr char kLine[] = "%s";
inline constexpr char kTwoLines[] = "%s\n%s";
// A byte that is no printable character, as a listing or a note shows it.
inline constexpr char kByteEscape[] = "\\x%02X";
inline constexpr char kListSeparator[] = ", ";

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
