#include "report/console.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace typekiln {
namespace {

TEST(Console, ReportErrorPrintsALineAndWaitsForOneCharacter) {
  test::TestConsole console("xy");
  ReportError(console.streams, "Cannot open: '%s'", "a b.txt");
  EXPECT_EQ(console.err.str(), "Cannot open: 'a b.txt'\n");
  EXPECT_EQ(console.out.str(), "");
  EXPECT_TRUE(console.streams.sawError);
  EXPECT_EQ(console.in.get(), 'y');  // exactly one character was taken
}

TEST(Console, ReportErrorReturnsAtTheEndOfInput) {
  test::TestConsole console;
  ReportError(console.streams, "one");
  ReportError(console.streams, "two");
  EXPECT_EQ(console.err.str(), "one\ntwo\n");
}

TEST(Console, AtATerminalTheErrorsWaitOnceAtTheEnd) {
  test::TestConsole console("xy");
  console.streams.inputIsTerminal = true;
  WaitOnceForErrors(console.streams);  // no error, no wait
  ReportError(console.streams, "one");
  ReportError(console.streams, "two");
  WaitOnceForErrors(console.streams);
  EXPECT_EQ(console.err.str(), "one\ntwo\nPress Enter to go on.\n");
  EXPECT_EQ(console.in.get(), 'y');  // exactly one character was taken
}

TEST(Console, ALongMessageIsCutTo255Characters) {
  test::TestConsole console;
  const std::string path(300, 'p');
  ReportError(console.streams, "Cannot create: '%s'", path.c_str());
  const std::string expected = "Cannot create: '" + std::string(255 - 16, 'p') + "\n";
  EXPECT_EQ(console.err.str(), expected);
}

TEST(Console, VerboseSpeaksOnlyWhileReportingIsOn) {
  BuildState state;
  test::TestConsole console;
  Verbose(console.streams, state.verbose, "Gap = %d\n", 3);
  state.verbose = true;
  const std::string path(400, 'q');  // no fixed buffer on this channel
  Verbose(console.streams, state.verbose, "Loading %s\n", path.c_str());
  EXPECT_EQ(console.out.str(), "Loading " + path + "\n");
  EXPECT_EQ(console.err.str(), "");
  EXPECT_FALSE(console.streams.sawError);
}

}  // namespace
}  // namespace typekiln
