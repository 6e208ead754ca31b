#pragma once

// Every text typekiln-import prints. The mechanism, and the texts the three tools share, are in
// report/messages.h.

#include "report/messages.h"

namespace typekiln::msg {

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
inline constexpr char kImportOverInput[] =
    "will not write '%s' over '%s', which the font is made from; choose another folder";
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
// A page, named by its id and file name, then what is wrong with it: one of the texts that follow.
inline constexpr char kBmFontPage[] = "page %d '%s' %s";
inline constexpr char kBmFontPageAbsolute[] =
    "is an absolute path; pages are named from the descriptor's folder";
inline constexpr char kBmFontPageClimbs[] = "leads out of the descriptor's folder (..)";
inline constexpr char kBmFontPageLinksOut[] =
    "is reached through a link that leads out of the descriptor's folder";
inline constexpr char kBmFontPageNotFile[] = "is no regular file";
inline constexpr char kBmFontPageCannotRead[] = "cannot be read";
inline constexpr char kBmFontPageFileTooLarge[] = "is larger than %lld MiB";
inline constexpr char kBmFontPageNotPicture[] = "is not a PNG or TGA picture";
inline constexpr char kBmFontPageTooLarge[] =
    "is %d x %d pixels: more than %lld on a side or %lld in all";
inline constexpr char kBmFontPageDamaged[] = "is damaged: its pixels do not decode";
inline constexpr char kBmFontPagesTooLarge[] =
    "the pages to read hold more than %lld pixels together";
inline constexpr char kBmFontCharOutsidePage[] =
    "char %u lies outside its page %d (%d x %d pixels)";
inline constexpr char kBmFontGlyphsTooLarge[] =
    "the chars asked for cover more than %lld pixels together";
// The imported font's description, for the script's comment.
inline constexpr char kBmFontDescription[] = "BMFont \"%s\", size %d";

}  // namespace typekiln::msg
