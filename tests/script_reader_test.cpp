#include "script/script_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "script/setting_commands.h"
#include "test_support.h"

namespace typekiln {
namespace {

// Lines as the test table's handlers received them, with the keyword that took each, and their
// numbers.
std::vector<std::string> received;
std::vector<int> numbers;

void RecordGap(BuildState&, Console&, const ScriptLine& line) {
  received.push_back("Gap|" + line.text);
  numbers.push_back(line.number);
}
void RecordGrab(BuildState&, Console&, const ScriptLine& line) {
  received.push_back("Grab|" + line.text);
  numbers.push_back(line.number);
}

const Command kTestTable[] = {
    {"Gap", RecordGap},           {"Grab", RecordGrab}, {"[Font]", RecordGrab},
    {"Encoding", HandleEncoding}, {nullptr, nullptr},
};

class ScriptReader : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    numbers.clear();
  }

  std::vector<std::string> RunLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) RunLine(state_, console_.streams, {line, 1}, kTestTable);
    return received;
  }

  std::vector<std::string> RunFile(const std::string& contents) {
    test::TempDir dir;
    const std::string path = dir.File("script.tks");
    test::WriteBytes(path, contents);
    RunScript(state_, console_.streams, path.c_str(), kTestTable);
    return received;
  }

  BuildState state_;
  test::TestConsole console_;
};

TEST_F(ScriptReader, KeywordsMatchWholeWordsIgnoringCase) {
  EXPECT_EQ(RunLines({"gap 1", "GAP 2", "Gap 3", "[font]", "Grabber 1,2,3", "Gaps", "Ga"}),
            (std::vector<std::string>{"Gap|gap 1", "Gap|GAP 2", "Gap|Gap 3", "Grab|[font]"}));
  EXPECT_EQ(console_.err.str(), "");  // unknown words are silent
}

TEST_F(ScriptReader, HandlersGetTheLineWithLeadingBlanksAndNoTrailingOnes) {
  EXPECT_EQ(RunLines({"   Gap 2", "\tGap 3 \t\r\n", "Gap 4\x80\xff", "Gap 5 # note", "\x01Gap 6"}),
            (std::vector<std::string>{"Gap|   Gap 2", "Gap|\tGap 3", "Gap|Gap 4",
                                      "Gap|Gap 5 # note", "Gap|\x01Gap 6"}));
}

TEST_F(ScriptReader, BlankAndCommentLinesAreSkipped) {
  EXPECT_TRUE(RunLines({"", " \t\r\n", "# Gap 1", "   # Gap 2", "#Gap", "\x7f"}).empty());
  // 0x7F is not blank: it is a word of its own, and no command.
  EXPECT_EQ(RunLines({"Gap\x7f 1"}), std::vector<std::string>{});
}

TEST_F(ScriptReader, AFirstWordLongerThan63CharactersIsUnknown) {
  const std::string longWord(64, 'G');
  EXPECT_TRUE(RunLines({longWord + " 1", std::string(5000, 'x')}).empty());
  EXPECT_EQ(console_.err.str(), "");
}

TEST(NextWord, StopsAtBlanks) {
  EXPECT_EQ(NextWord("  Gap 2"), "Gap");
  EXPECT_EQ(NextWord("Type\x01Hor"), "Type");
  EXPECT_EQ(NextWord("\x90"
                     "Drop\xa0"),
            "Drop");
  EXPECT_EQ(NextWord(" \t "), "");
  EXPECT_EQ(NextWord(""), "");
}

TEST_F(ScriptReader, LastLineRunsOnceWithOrWithoutANewline) {
  EXPECT_EQ(RunFile("Gap 1\nGap 2"), (std::vector<std::string>{"Gap|Gap 1", "Gap|Gap 2"}));
  received.clear();
  EXPECT_EQ(RunFile("Gap 1\r\nGap 2\r\n"), (std::vector<std::string>{"Gap|Gap 1", "Gap|Gap 2"}));
  received.clear();
  EXPECT_TRUE(RunFile("").empty());
}

TEST_F(ScriptReader, LongLinesAreReadIn127CharacterPiecesNumberedAsLines) {
  // The first piece is 127 characters of padding; the rest of the line is a line of its own.
  const std::string padding(127, 'x');
  const std::string pieces = "Gap " + std::string(123, '7');
  EXPECT_EQ(
      RunFile(padding + "Gap 9\n" + pieces + "Grab 1,2,3\n" + padding + "\nGap 8\n"),
      (std::vector<std::string>{"Gap|Gap 9", "Gap|" + pieces, "Grab|Grab 1,2,3", "Gap|Gap 8"}));
  // A line of exactly 127 characters takes one number, its line end none.
  EXPECT_EQ(numbers, (std::vector<int>{2, 3, 4, 6}));
}

// The first 4 KiB tell a script from a font or a binary file; what follows them is read on, and
// a line that straddles them is read whole.
TEST_F(ScriptReader, AFontOrBinaryDataIsNoScript) {
  EXPECT_EQ(RunFile("TKLNQZ7!N64!\nGap 1\n"), std::vector<std::string>{});
  EXPECT_EQ(RunFile(std::string(4095, '\n') + '\0' + "Gap 1\n"), std::vector<std::string>{});
  const std::string& err = console_.err.str();
  EXPECT_NE(err.find("' is a typekiln font (the script comes first, then the font to write)\n"),
            std::string::npos);
  EXPECT_NE(err.find("' holds binary data\n"), std::string::npos);
  EXPECT_EQ(RunFile(std::string(4093, '\n') + "Gap 7" + '\0' + "x\nGap 8\n"),
            (std::vector<std::string>{"Gap|Gap 7", "Gap|Gap 8"}));
}

// After `Encoding UTF-8` each line is UTF-8: its characters up to U+00FF become their Latin-1
// bytes, its end loses ASCII blanks and U+00A0 but not letters, and its 127 characters are
// counted as characters. A line with another character, or that is no UTF-8, does not run.
TEST_F(ScriptReader, AfterEncodingUtf8EachLineIsReadAsUtf8) {
  const std::string e = "\xC3\xA9";  // é, 0xE9 in Latin-1
  std::string many;
  for (int i = 0; i < 123; ++i) many += e;
  EXPECT_EQ(RunFile("Gap " + e + "\nencoding utf-8\nGap " + e +
                    "\nGap \xC3\x80\xC3\xBC\xC2\xA0 \r\n"
                    "# \xE2\x82\xAC\nGap \xE2\x82\xAC\nGap \xC3\n"
                    "Gap " +
                    many + "Grab 1,2,3\nENCODING Latin-1\nGap \xE9\xE9\nEncoding UTF-16\n"),
            (std::vector<std::string>{"Gap|Gap", "Gap|Gap \xE9", "Gap|Gap \xC0\xFC",
                                      "Gap|Gap " + std::string(123, '\xE9'), "Grab|Grab 1,2,3",
                                      "Gap|Gap"}));
  EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 8, 9, 11}));
  EXPECT_EQ(console_.err.str(),
            "Not a Latin-1 character at following line:\nGap \xE2\x82\xAC\n"
            "Not a Latin-1 character at following line:\nGap \xC3\n"
            "Unknown encoding at following line:\nEncoding UTF-16\n");
}

TEST_F(ScriptReader, AMissingScriptOrAFolderCannotBeOpened) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.tks");
  RunScript(state_, console_.streams, missing.c_str(), kTestTable);
  RunScript(state_, console_.streams, dir.path().c_str(), kTestTable);
  EXPECT_EQ(console_.err.str(),
            "Cannot open: '" + missing + "'\nCannot open: '" + dir.path().string() + "'\n");
  EXPECT_TRUE(received.empty());
}

// A stream that yields `text` and then fails, as a disk or network read can.
ssize_t ReadThenFail(void* cookie, char* buffer, size_t size) {
  auto* text = static_cast<std::string*>(cookie);
  if (text->empty()) {
    errno = EIO;
    return -1;
  }
  const size_t n = std::min(size, text->size());
  std::memcpy(buffer, text->data(), n);
  text->erase(0, n);
  return static_cast<ssize_t>(n);
}

TEST_F(ScriptReader, AReadErrorEndsTheScript) {
  std::string text = "Gap 1\nGap 2\n";
  std::FILE* stream = fopencookie(&text, "r", {ReadThenFail, nullptr, nullptr, nullptr});
  ASSERT_NE(stream, nullptr);
  RunScriptStream(state_, console_.streams, stream, "broken.tks", kTestTable);
  std::fclose(stream);
  EXPECT_EQ(received, (std::vector<std::string>{"Gap|Gap 1", "Gap|Gap 2"}));
  EXPECT_EQ(console_.err.str(), "Cannot read: 'broken.tks'\n");
}

}  // namespace
}  // namespace typekiln
