#include "script/line_scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace typekiln {
namespace {

// The scans the commands use, each once through LineScanner and once through sscanf.
struct Scan {
  int converted;  // values converted after the command word, or -1 when the word itself failed
  int a, b, c;
  std::string word;
};

Scan ScanNumbers(const std::string& line, int wanted) {
  LineScanner scan(line);
  Scan result{-1, 0, 0, 0, ""};
  if (!scan.Word())
    return result;
  result.converted = 0;
  int* values[] = {&result.a, &result.b, &result.c};
  for (int i = 0; i < wanted; ++i) {
    if (i > 0 && !scan.Literal(','))
      break;
    if (!scan.Number(values[i]))
      break;
    ++result.converted;
  }
  return result;
}

Scan SscanfNumbers(const std::string& line, int wanted) {
  static const char* const kFormats[] = {"", "%63s %d", "%63s %d,%d", "%63s %d,%d,%d"};
  char word[64];
  Scan result{-1, 0, 0, 0, ""};
  const int got =
      std::sscanf(line.c_str(), kFormats[wanted], word, &result.a, &result.b, &result.c);
  result.converted = got <= 0 ? -1 : got - 1;
  return result;
}

TEST(LineScanner, NumbersMatchTheCLibrary) {
  const char* const lines[] = {
      "Gap 3",
      "Gap -1",
      "Gap +7",
      "Gap 3px",
      "Gap px",
      "Gap",
      "",
      "   ",
      "Gap -",
      "Gap - 4",
      "Gap\t\v\f12",
      "Gap 300",
      "Gap 4294967340",
      "Drop 2, 3",
      "Drop 2 ,3",
      "Drop 3",
      "Drop -1,1",
      "Drop 2,,3",
      "Grab 0,0,2",
      "Grab 10, 20 ,3",
      "Grab 1,2",
      "Grab 1,2,x",
      "Grab -5,-6,-7",
      "Gap 2147483648",
      "Gap -2147483649",
      "Gap 99999999999999999999",
      "Gap -99999999999999999999",
      "Gap 9223372036854775807",
      "Gap 9223372036854775808",
      "Gap -9223372036854775808",
      "Gap 0007",
  };
  for (const char* line : lines) {
    for (int wanted = 1; wanted <= 3; ++wanted) {
      SCOPED_TRACE(std::string(line) + " with " + std::to_string(wanted) + " numbers");
      const Scan ours = ScanNumbers(line, wanted);
      const Scan theirs = SscanfNumbers(line, wanted);
      ASSERT_EQ(ours.converted, theirs.converted);
      const int* mine[] = {&ours.a, &ours.b, &ours.c};
      const int* libc[] = {&theirs.a, &theirs.b, &theirs.c};
      for (int i = 0; i < ours.converted; ++i) EXPECT_EQ(*mine[i], *libc[i]) << "value " << i;
    }
  }
}

TEST(LineScanner, WordsMatchTheCLibrary) {
  const char* const lines[] = {"CharSet ABC",
                               "CharSet",
                               "CharSet  \tA\"B#",
                               "Type\rVer",
                               "LoadTGA pics/a.tga extra",
                               "CharSet \x81\x82",
                               "Type\x01Hor x"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    LineScanner scan(line);
    std::string command, word;
    const bool ours = scan.Word(&command) && scan.Word(&word);
    char c[64] = "", w[128] = "";
    const bool theirs = std::sscanf(line, "%63s %127s", c, w) == 2;
    ASSERT_EQ(ours, theirs);
    if (ours) {
      EXPECT_EQ(command, c);
      EXPECT_EQ(word, w);
    }
  }
}

TEST(LineScanner, ALongWordNeedsNoBuffer) {
  const std::string path(5000, 'a');
  const std::string line = "LoadTGA " + path;
  LineScanner scan(line);
  std::string command, word;
  ASSERT_TRUE(scan.Word(&command));
  ASSERT_TRUE(scan.Word(&word));
  EXPECT_EQ(word, path);
  EXPECT_FALSE(scan.Word());
}

}  // namespace
}  // namespace typekiln
