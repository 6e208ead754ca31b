// typekiln-inspect --check end to end: scripts and pictures made here, each mistake a user is
// likely to make, and the note that names it.

#include <gtest/gtest.h>

#include "report/console.h"
#include "test_support.h"

namespace typekiln {
namespace {

// A picture from rows of characters, top row first: '.' clear, '#' full ink, 'f' a blue pixel
// with alpha 8 (ink that stores as coverage 0), 'o' opaque black, 'w' white with alpha 0.
std::string Picture(const std::vector<std::string>& rows, std::uint8_t descriptor = 0x28) {
  test::Bytes body;
  for (const std::string& row : rows) {
    for (const char c : row) {
      const test::Bytes pixel = c == '#'   ? test::Bytes{255, 255, 255, 255}
                                : c == 'f' ? test::Bytes{255, 0, 0, 8}
                                : c == 'o' ? test::Bytes{0, 0, 0, 255}
                                : c == 'w' ? test::Bytes{255, 255, 255, 0}
                                           : test::Bytes{0, 0, 0, 0};
      body.insert(body.end(), pixel.begin(), pixel.end());
    }
  }
  return test::TgaFile(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), body, 2,
                       descriptor);
}

test::ToolRun Check(const test::TempDir& dir, const std::string& script) {
  test::WriteBytes(dir.File("s.tks"), script);
  return test::RunInspect(dir.path(), {"--check", "s.tks"});
}

// Faces in one picture, their shadows one pixel right and down in a second at the same places,
// or in the same picture 256 rows below.
TEST(Check, ACleanScriptHasNoNotes) {
  test::TempDir dir;
  test::WriteBytes(dir.File("faces.tga"), Picture({"#.##.#.", "#.##.#.", "......."}));
  test::WriteBytes(dir.File("shadows.tga"), Picture({".......", ".#.##.#", ".#.##.#"}));
  std::vector<std::string> both(259, ".......");
  both[0] = both[1] = "#.##.#.";
  both[257] = both[258] = ".#.##.#";
  test::WriteBytes(dir.File("both.tga"), Picture(both));
  for (const char* script :
       {"CharSet ABC\nMaxHeight 3\nLoadTGA faces.tga\n[Font]\nGrab 0,0,3\n"
        "LoadTGA shadows.tga\n[Shadow]\nGrab 0,0,3\n",
        "CharSet ABC\nMaxHeight 3\nLoadTGA both.tga\n[Font]\nGrab 0,0,3\n[Shadow]\n"
        "Grab 0,256,3\n"}) {
    const test::ToolRun run = Check(dir, script);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "No problems found.\n");
    EXPECT_EQ(run.err, "");
  }
}

TEST(Check, NotesMistakesInTheScript) {
  test::TempDir dir;
  std::vector<std::string> rows(12, ".......");
  rows[0] = rows[1] = rows[10] = rows[11] = "#.##.#.";
  test::WriteBytes(dir.File("p.tga"), Picture(rows));
  const test::ToolRun run = Check(dir,
                                  "CharSet A\xC3\xA9"
                                  "B\nGrabb 0,0,3\nFrobnicate\nMaxHeight 2\n"
                                  "LoadTGA p.tga\n[Font]\nGrab 0,0,3\n[Shadow]\nGrab 0,10,2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "note: line 1 \"CharSet A\\xC3\\xA9B\": the CharSet holds 2 bytes of UTF-8 characters, "
            "the first (0xC3) as entry 1's code: a UTF-8 character takes one entry per byte, so "
            "every later code moves; write Encoding UTF-8 on a line above line 1, and each "
            "character takes one entry\n"
            "note: line 2 \"Grabb 0,0,3\": \"Grabb\" is no command, so typekiln ignores the line; "
            "did you mean Grab?\n"
            "note: line 3 \"Frobnicate\": \"Frobnicate\" is no command, so typekiln ignores the "
            "line; check its spelling\n"
            "note: line 9 \"Grab 0,10,2\": 2 shadow glyphs lie too far from the faces for a drop "
            "shadow: the font keeps shadow glyph 0 at dx 0, dy 10 from its face (line 7), and the "
            "game draws it there; draw the shadows in a second picture at the faces' places, or "
            "exactly 256 rows below them\n"
            "note: line 9 \"Grab 0,10,2\": this Grab took 2 shadow glyphs where line 7 took 3 "
            "face glyphs: from here on faces and shadows are out of step; grab as many of each\n"
            "note: the face set holds 3 glyphs and the shadow set 2 glyphs: the entries past the "
            "shorter set lack a face or a shadow\n"
            "6 notes found.\n");
}

// q.tga, 300 x 12 with its right-to-left bit set. Column 0, rows 0 to 4: a glyph that the
// first Grab cuts. Rows 6 to 9: glyphs 4 high and 3 wide, the two short strokes of a '"' apart,
// one glyph 7 wide, a glyph with faint ink one column past its edge (anti-aliasing), one with
// faint ink two columns past it, one of faint ink only. Row 11: a glyph 260 wide. o.tga is
// opaque.
TEST(Check, NotesMistakesInThePictures) {
  test::TempDir dir;
  std::vector<std::string> rows(12, std::string(300, '.'));
  for (int y = 0; y < 5; ++y) rows[y][0] = '#';
  for (int y = 6; y < 10; ++y) rows[y].replace(0, 38, "###.....###.#######.###..###.......###");
  rows[6].replace(4, 3, "#.#");
  rows[7].replace(4, 3, "#.#");
  rows[7][23] = 'f';
  rows[8].replace(28, 2, "ff");
  rows[7].replace(31, 3, "fff");
  rows[8].replace(31, 3, "fff");
  rows[11].replace(20, 260, std::string(260, '#'));
  test::WriteBytes(dir.File("q.tga"), Picture(rows, 0x38));
  test::WriteBytes(dir.File("o.tga"), Picture({"o"}));
  const test::ToolRun run = Check(dir,
                                  "CharSet ABA\nMaxHeight 4\nLoadTGA q.tga\n[Font]\nGrab 0,1,1\n"
                                  "Grab 0,6,9\nGrab 20,11,1\nLoadTGA o.tga\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(
      run.out,
      "note: line 1 \"CharSet ABA\": 1 entry repeats an earlier one (the first, 'A', is the "
      "code of entries 0 and 2): a game finds only the first entry with a code; give each "
      "entry its own\n"
      "note: line 1 \"CharSet ABA\": the CharSet holds 3 codes for 11 face glyphs, so entries "
      "3 to 10 get code 0; add their characters\n"
      "note: line 3 \"LoadTGA q.tga\": 'q.tga' has its right-to-left bit (bit 4 of the "
      "descriptor) set; typekiln ignores it and reads every row from left to right, so save "
      "it left to right\n"
      "note: line 3 \"LoadTGA q.tga\": 'q.tga' has ink with alpha from 1 to 15 that stores as "
      "coverage 0 but widens the ink box of 1 glyph by 2 pixels or more past what shows (most "
      "in face glyph 7 by 2); clear it or make it stronger\n"
      "note: line 3 \"LoadTGA q.tga\": 'q.tga' gives 1 glyph whose ink all has alpha from 1 to "
      "15 (face glyph 8 first): each takes an entry but stores as coverage 0 and shows nothing; "
      "make its ink stronger or leave it out\n"
      "note: line 5 \"Grab 0,1,1\": the band (rows 1 to 4) cuts 1 face glyph (glyph 0 "
      "first): the ink goes on above the band in the same columns; a Grab at row 0 with "
      "MaxHeight 5 would hold it all\n"
      "note: line 6 \"Grab 0,6,9\": face glyphs 2 and 3 are two narrow, short marks side by "
      "side, alike in height and top, that together are no wider than an ordinary glyph: one "
      "character whose strokes stand apart (as in '\"') may have been grabbed as two, and every "
      "later glyph then takes the code of the one before; join its strokes with a coloured "
      "pixel of alpha 0\n"
      "note: line 6 \"Grab 0,6,9\": face glyph 5 is 7 wide, more than twice the middle width "
      "of its set (3) and wider than one glyph is likely to be: two glyphs merged? Leave an "
      "empty column between glyphs\n"
      "note: line 7 \"Grab 20,11,1\": face glyph 10 is 260 x 1, but the font stores width and "
      "height in one byte each; draw it smaller than 256 in both directions\n"
      "note: line 7 \"Grab 20,11,1\": face glyph 10 is 260 wide, more than twice the middle "
      "width of its set (3) and wider than one glyph is likely to be: two glyphs merged? Leave "
      "an empty column between glyphs\n"
      "note: line 8 \"LoadTGA o.tga\": 'o.tga' has alpha 255 everywhere, so nothing in it "
      "is transparent and every band is ink from edge to edge; save it with its alpha "
      "channel\n"
      "11 notes found.\n");
}

// Glyphs four rows high in a band of two, from a bottom-up file: the ink goes on below, and
// MaxHeight 4 holds it.
TEST(Check, NotesAGlyphCutBelowItsBand) {
  test::TempDir dir;
  const std::vector<std::string> rows = {"#.#..#..", "#.#..#..", "#.#..#..", "#.#..#.."};
  std::vector<std::string> bottomUp(rows.rbegin(), rows.rend());
  test::WriteBytes(dir.File("p.tga"), Picture(bottomUp, 0x08));
  const test::ToolRun run =
      Check(dir, "CharSet ABC\nMaxHeight 2\nLoadTGA p.tga\n[Font]\nGrab 0,0,3\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "note: line 5 \"Grab 0,0,3\": the band (rows 0 to 1) cuts 3 face glyphs (glyph 0 "
            "first): the ink goes on below the band in the same columns; MaxHeight 4 would hold "
            "it all\n"
            "1 note found.\n");
}

// Grabs that take more or less than the glyphs drawn: a band taller than the distance to the
// next, a Grab that starts inside a glyph, a CharSet longer than the faces.
TEST(Check, NotesGrabsThatMissTheirGlyphs) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), Picture({"###.###.###.", "###.###.###.", "............",
                                               "###.###.###.", "###.###.###."}));
  test::ToolRun run = Check(dir,
                            "CharSet ABCDEFGH\nMaxHeight 2\nLoadTGA p.tga\n[Font]\nGrab 0,0,3\n"
                            "Grab 5,3,2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "note: line 1 \"CharSet ABCDEFGH\": the CharSet holds 8 codes for 5 face glyphs, so "
            "'F' and the 2 characters after it have no glyph; grab the missing glyphs or take "
            "their characters out\n"
            "note: line 6 \"Grab 5,3,2\": the Grab starts at column 5, inside face glyph 3, whose "
            "ink begins at column 4 in the band's rows: the glyph loses its left part; start the "
            "Grab at column 4\n"
            "2 notes found.\n");

  run = Check(dir, "CharSet ABCDEF\nMaxHeight 4\nLoadTGA p.tga\n[Font]\nGrab 0,0,3\nGrab 0,3,3\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "note: line 5 \"Grab 0,0,3\": the band (rows 0 to 3) reaches into the glyphs of line "
            "6, whose band starts at row 3: its glyphs take in their ink; MaxHeight 3 would keep "
            "the bands apart\n"
            "1 note found.\n");
}

// A script that grabs only shadows, or nothing, would make a font without a glyph.
TEST(Check, NotesAScriptThatGrabsNoFace) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), Picture({"#.#"}));
  const test::ToolRun run = Check(dir, "MaxHeight 1\nLoadTGA p.tga\n[Shadow]\nGrab 0,0,2\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "note: the script grabs no glyph: add a [Font] section and a Grab\n"
            "1 note found.\n");
}

// One-column glyphs two rows high, each at (4 i + dx, top + dy) for its place (dx, dy).
std::vector<std::string> Glyphs(std::vector<std::string> rows, int top,
                                const std::vector<std::pair<int, int>>& places) {
  for (std::size_t i = 0; i < places.size(); ++i)
    for (int row = 0; row < 2; ++row)
      rows[static_cast<std::size_t>(top + places[i].second + row)]
          [4 * i + static_cast<std::size_t>(places[i].first)] = '#';
  return rows;
}

// A shadow drawn off from its face where the rest lie alike, and a Grab a row off the step the
// other bands keep, are noted; where the shadows vary all over, or the band was drawn off the
// step with its Grab, nothing is.
TEST(Check, NotesShadowsOutOfStepAndABandOffTheStep) {
  test::TempDir dir;
  const std::vector<std::pair<int, int>> inPlace(6, {0, 0});
  const std::string blank(28, '.');
  const std::vector<std::string> clear(4, blank);
  test::WriteBytes(dir.File("faces.tga"), Picture(Glyphs(clear, 1, inPlace)));
  test::WriteBytes(dir.File("one.tga"),
                   Picture(Glyphs(clear, 1, {{1, 1}, {1, 1}, {1, 1}, {3, 1}, {1, 1}, {1, 1}})));
  test::WriteBytes(dir.File("any.tga"),
                   Picture(Glyphs(clear, 1, {{1, 1}, {2, 1}, {1, 0}, {0, 1}, {1, 1}, {2, 0}})));
  const std::string shadows =
      "CharSet ABDEFH\nMaxHeight 4\nLoadTGA faces.tga\n[Font]\nGrab 0,0,6\nLoadTGA %s\n"
      "[Shadow]\nGrab 0,0,6\n";
  test::ToolRun run = Check(dir, Format(shadows.c_str(), "one.tga"));
  EXPECT_EQ(
      run.out,
      "note: line 8 \"Grab 0,0,6\": the shadow of 'E' (glyph 3) lies 3,1 from its face and is 0 "
      "wider and 0 taller, where 5 of the 6 pairs lie 1,1 and are 0 wider and 0 taller: draw "
      "the face and its shadow in step (typekiln-import --redraw-shadows redraws an imported "
      "sheet's shadows)\n1 note found.\n");
  EXPECT_EQ(Check(dir, Format(shadows.c_str(), "any.tga")).out, "No problems found.\n");

  std::vector<std::string> bands(12, blank);
  bands = Glyphs(Glyphs(Glyphs(bands, 1, inPlace), 5, inPlace), 9, inPlace);
  test::WriteBytes(dir.File("bands.tga"), Picture(bands));
  const std::string grabs =
      "CharSet ABDEFHIKLMNPRTXZ12\nMaxHeight 3\nLoadTGA bands.tga\n[Font]\nGrab 0,0,6\n"
      "Grab 0,%d,6\nGrab 0,8,6\n";
  run = Check(dir, Format(grabs.c_str(), 5));
  EXPECT_EQ(run.out,
            "note: line 6 \"Grab 0,5,6\": its band starts 1 row below the step of 4 rows the other "
            "bands keep, so its glyphs sit higher than the rest in every text: Grab 0,4,6 puts "
            "them in line\n1 note found.\n");
  EXPECT_EQ(Check(dir, Format(grabs.c_str(), 4)).out, "No problems found.\n");
  std::vector<std::string> lower(12, blank);
  lower = Glyphs(Glyphs(Glyphs(lower, 1, inPlace), 6, inPlace), 9, inPlace);
  test::WriteBytes(dir.File("bands.tga"), Picture(lower));
  EXPECT_EQ(Check(dir, Format(grabs.c_str(), 5)).out, "No problems found.\n");
}

// Letters from 0x80 up at the end of a Latin-1 line are lost to the reader, which the check says,
// showing them as \xNN; a UTF-8 script keeps them, and its letters are codes.
TEST(Check, NotesLettersLostAtALinesEnd) {
  test::TempDir dir;
  test::WriteBytes(dir.File("faces.tga"), Picture({"#.##.#.", "#.##.#."}));
  const std::string grab = "MaxHeight 2\nLoadTGA faces.tga\n[Font]\nGrab 0,0,3\n";
  EXPECT_EQ(Check(dir, "CharSet A\xE9\xE8\n" + grab).out,
            "note: line 1 \"CharSet A\": the line ends in 2 bytes from 0x80 up (\\xE9\\xE8), "
            "which the reader takes for blanks and drops; write Encoding UTF-8 on a line above it "
            "and save the script as UTF-8 to keep them\n"
            "note: line 1 \"CharSet A\": the CharSet holds 1 code for 3 face glyphs, so entries 1 "
            "to 2 get code 0; add their characters\n2 notes found.\n");
  EXPECT_EQ(Check(dir, "Encoding UTF-8\nCharSet A\xC3\xA9\xC3\xA8\n" + grab).out,
            "No problems found.\n");
}

// Past a thousand notes the rest are counted, not printed.
TEST(Check, KeepsAThousandNotes) {
  test::TempDir dir;
  std::string script;
  for (int i = 0; i < 1002; ++i) script += "Gapp 1\n";
  const test::ToolRun run = Check(dir, script);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("note: line 1000 \"Gapp 1\": \"Gapp\" is no command, so typekiln ignores "
                         "the line; did you mean Gap?\n"
                         "note: 3 more notes are not shown\n"
                         "1003 notes found.\n"),
            std::string::npos)
      << run.out.substr(run.out.size() - 300);
}

// A run with an error and no note still fails; the error is typekiln's own, printed without a
// wait for a key.
TEST(Check, AnErrorFailsTheCheck) {
  test::TempDir dir;
  const test::ToolRun run = Check(dir, "LoadTGA missing.tga\n[Font]\nGrab 0,0,1\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Cannot open: 'missing.tga'\nNo picture to grab from at following line:\nGrab 0,0,1\n");
}

}  // namespace
}  // namespace typekiln
