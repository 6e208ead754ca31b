// Hostile and broken input, end to end on the built typekiln: every case ends with a clear
// message and exit status 1 (or 0 where nothing is wrong), never with a crash, and leaves no
// half-written font and no temporary file behind.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;
using test::TgaFile;

const char kGrabOne[] = "LoadTGA p.tga\n[Font]\nGrab 0,0,1\n";
// What an older font at the output starts with: the font's tags, which typekiln writes over.
const std::string kFontStart = "TKLNQZ7!N64!";
const std::string kOldFont = kFontStart + "old font";
const char kNoPicture[] = "No picture to grab from at following line:\nGrab 0,0,1\n";

// A 4 x 2 picture of two glyphs, columns 0 to 1 and column 3, inked in the bottom row.
std::string SmallPicture(std::uint8_t type = 2) {
  Bytes pixels(4 * 2 * 4, 0);
  for (int column : {0, 1, 3}) pixels[static_cast<std::size_t>(column * 4 + 3)] = 0xF0;
  if (type == 10)  // the same pixels as two literal packets of 4
    pixels.insert(pixels.begin() + 16, 3), pixels.insert(pixels.begin(), 3);
  return TgaFile(4, 2, pixels, type);
}

struct Case {
  const char* name;
  std::optional<std::string> picture;  ///< written as p.tga when given
  std::string script;                  ///< written as font.tks
  int status;
  std::string err;
  bool writesFont = true;  ///< false for a file that is no script: then nothing is written
};

// Runs the case in a fresh folder and checks what every fault must leave: its status and
// message, a font that reads back (RunTypekiln checks it), and nothing else in the folder.
void Expect(const Case& fault) {
  SCOPED_TRACE(fault.name);
  test::TempDir dir;
  if (fault.picture)
    test::WriteBytes(dir.File("p.tga"), *fault.picture);
  test::WriteBytes(dir.File("font.tks"), fault.script);
  const test::ToolRun run = test::RunTypekiln(dir.path(), {"font.tks", "out.fnt"});
  EXPECT_EQ(run.status, fault.status);
  EXPECT_EQ(run.err, fault.err);
  std::vector<std::string> files = {"font.tks"};
  if (fault.writesFont)
    files.push_back("out.fnt");
  if (fault.picture)
    files.push_back("p.tga");
  EXPECT_EQ(test::FolderEntries(dir.path()), files);
}

TEST(Fault, OutputsThatCannotBeWrittenLeaveTheOldFont) {
  test::TempDir dir;
  test::WriteBytes(dir.File("font.tks"), std::string(kGrabOne));
  test::WriteBytes(dir.File("p.tga"), SmallPicture());
  std::filesystem::create_directory(dir.path() / "folder");
  std::filesystem::create_directory(dir.path() / "locked");
  test::WriteBytes(dir.File("locked/old.fnt"), kOldFont);
  std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms(0555));
  test::WriteBytes(dir.File("protected.fnt"), kOldFont);
  std::filesystem::permissions(dir.path() / "protected.fnt", std::filesystem::perms(0444));

  // Windows has no uid to give up, so a read-only folder does not stop the tests' administrator,
  // and no device that is always full.
  const bool windows = test::WindowsTools();
  for (const auto& [output, message] : {std::pair{"no/such/folder/out.fnt", "Cannot create"},
                                        {"folder", "Cannot create"},
                                        {"locked/old.fnt", "Cannot create"},
                                        {"locked/new.fnt", "Cannot create"},
                                        {"protected.fnt", "Cannot create"},
                                        {"/dev/full", "Cannot write"}}) {
    if (windows && (std::string(output).starts_with("locked") || output[0] == '/'))
      continue;
    SCOPED_TRACE(output);
    const test::ToolRun run =
        test::RunTypekiln(dir.path(), {"font.tks", output}, "", /*unprivileged=*/!windows);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(message) + ": '" + output + "'\n");
  }
  EXPECT_EQ(test::ReadBytes(dir.File("locked/old.fnt")), test::BytesOf(kOldFont));
  EXPECT_EQ(test::ReadBytes(dir.File("protected.fnt")), test::BytesOf(kOldFont));
  EXPECT_EQ(test::FolderEntries(dir.path() / "locked"), std::vector<std::string>{"old.fnt"});
  EXPECT_EQ(test::FolderEntries(dir.path()),
            (std::vector<std::string>{"folder", "font.tks", "locked", "p.tga", "protected.fnt"}));
}

// Files that another user put where the font goes. In a sticky folder open to everyone, their
// link is refused, as the system refuses to follow it, while the caller's own link is followed;
// and a file of theirs is replaced by one of the caller's, not by one with their permissions.
TEST(Fault, FilesOfOtherUsersAtTheOutput) {
  SKIP_ON_WINDOWS("no uid changes, no symbolic links an ordinary user makes, no sticky folders");
  if (geteuid() != 0)
    GTEST_SKIP() << "making files that belong to other users needs root";
  constexpr uid_t kCaller = 65534;  // nobody: RunTypekiln's ordinary user
  constexpr uid_t kOther = 1;
  test::TempDir dir;
  test::WriteBytes(dir.File("font.tks"), std::string(kGrabOne));
  test::WriteBytes(dir.File("p.tga"), SmallPicture());
  std::filesystem::create_directory(dir.path() / "shared");
  chmod(dir.File("shared").c_str(), 01777);
  // A file with `mode`, or with `link` a link to that file.
  const auto make = [&](const char* name, uid_t owner, mode_t mode, const char* link) {
    if (link != nullptr) {
      std::filesystem::create_symlink(dir.File(link), dir.File(name));
    } else {
      test::WriteBytes(dir.File(name), kFontStart + name);
      chmod(dir.File(name).c_str(), mode);
    }
    lchown(dir.File(name).c_str(), owner, owner);
  };
  make("mine.fnt", kCaller, 0600, nullptr);
  make("theirs.fnt", kOther, 0666, nullptr);
  make("shared/planted.fnt", kOther, 0, "mine.fnt");
  make("shared/own.fnt", kCaller, 0, "mine.fnt");
  const auto run = [&](const char* output) {
    return test::RunTypekiln(dir.path(), {"font.tks", output}, "", /*unprivileged=*/true).err;
  };
  EXPECT_EQ(run("shared/planted.fnt"), "Cannot create: 'shared/planted.fnt'\n");
  EXPECT_EQ(test::ReadBytes(dir.File("mine.fnt")), test::BytesOf(kFontStart + "mine.fnt"));
  EXPECT_EQ(run("shared/own.fnt"), "");
  EXPECT_NE(test::ReadBytes(dir.File("mine.fnt")), test::BytesOf(kFontStart + "mine.fnt"));
  const mode_t umaskBefore = umask(022);
  EXPECT_EQ(run("theirs.fnt"), "");
  umask(umaskBefore);
  struct stat mine {
  }, theirs{};
  stat(dir.File("mine.fnt").c_str(), &mine);
  stat(dir.File("theirs.fnt").c_str(), &theirs);
  EXPECT_EQ(mine.st_mode & 07777, 0600u);
  EXPECT_EQ(theirs.st_uid, kCaller);
  EXPECT_EQ(theirs.st_mode & 07777, 0644u);
}

// Runs in the tool's process before it starts, with the signals as a terminal delivers them:
// SIGXFSZ comes from the system past a limit on the size of files; the others from a watcher
// that sends them to the tool once its temporary file appears.
void InterruptWhileWriting(int signal) {
  for (int each : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) std::signal(each, SIG_DFL);
  const rlimit noCore{0, 0};
  const rlimit small{4096, 4096};
  setrlimit(RLIMIT_CORE, &noCore);
  if (signal == SIGXFSZ) {
    setrlimit(RLIMIT_FSIZE, &small);
    return;
  }
  const pid_t tool = getpid();
  if (fork() != 0)
    return;
  while (getppid() == tool) {
    for (const std::string& name : test::FolderEntries(".")) {
      if (name.starts_with(".typekiln-"))
        kill(tool, signal);
    }
    usleep(200);
  }
  _exit(0);
}

TEST(Fault, ASignalRemovesTheTemporaryAndEndsTheRun) {
  test::TempDir dir;
  // One opaque glyph 2048 pixels square, grabbed eight times: a 16 MiB font, long enough in the
  // writing for a signal to arrive meanwhile.
  Bytes packets;
  for (int i = 0; i < 2048 * 2048 / 128; ++i) packets.insert(packets.end(), {0xFF, 0, 0, 0, 0xFF});
  test::WriteBytes(dir.File("big.tga"), TgaFile(2048, 2048, packets, 10));
  std::string script = "MaxHeight 2048\nLoadTGA big.tga\n[Font]\n";
  for (int i = 0; i < 8; ++i) script += "Grab 0,0,1\n";
  test::WriteBytes(dir.File("big.tks"), script);
  // On Windows only Ctrl-C stands for these signals; wine passes SIGINT to the program as one.
  // The program then ends with the status STATUS_CONTROL_C_EXIT (0xC000013A), of which the
  // exit status shows the low byte.
  const bool windows = test::WindowsTools();
  constexpr int kControlCExit = 0x3A;
  const auto interrupted = [windows](const test::ToolRun& run, int signal) {
    return windows ? run.status == kControlCExit : run.signal == signal;
  };
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
    if (windows && signal != SIGINT)
      continue;
    SCOPED_TRACE(signal);
    test::ToolRun run;
    // A run that ends before the signal is sent is tried again.
    for (int attempt = 0; attempt < 5 && !interrupted(run, signal); ++attempt) {
      test::WriteBytes(dir.File("out.fnt"), kOldFont);
      run = test::RunProgram(test::TypekilnBinary(), dir.path(), {"big.tks", "out.fnt"}, "", false,
                             [signal] { InterruptWhileWriting(signal); });
    }
    EXPECT_TRUE(interrupted(run, signal)) << "status " << run.status << ", signal " << run.signal;
    EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")), test::BytesOf(kOldFont));
    // The Windows tool marks its temporary for deletion, and the file goes once the ended
    // process's handles are closed, which wine may do a moment after the process has ended.
    const std::vector<std::string> left{"big.tga", "big.tks", "out.fnt"};
    for (int wait = 0; windows && wait < 200 && test::FolderEntries(dir.path()) != left; ++wait)
      usleep(10000);
    EXPECT_EQ(test::FolderEntries(dir.path()), left);
  }
}

// Runs in the tool's process before it starts. The tool runs in a child; this process becomes
// the watcher, which passes on what the tool reports and, once the tool waits for a key after
// the error in the line that follows LoadTGA, cuts the picture to its header and one row, then
// presses the key and closes the keyboard. The watcher ends only after the tool has ended and
// all it reported has been passed on, so the test, which waits for this process, sees it all.
void CutThePictureAfterItLoads() {
  int errors[2];
  int keys[2];
  if (pipe(errors) != 0 || pipe(keys) != 0)
    _exit(99);
  const pid_t tool = fork();
  if (tool < 0)
    _exit(99);
  if (tool == 0) {
    dup2(errors[1], 2);
    dup2(keys[0], 0);
    for (int fd : {errors[0], errors[1], keys[0], keys[1]}) close(fd);
    return;
  }
  std::string seen;
  char c;
  close(errors[1]);
  close(keys[0]);
  while (read(errors[0], &c, 1) == 1 && write(2, &c, 1) == 1) {
    seen += c;
    // One key, then none: the wait after a later error ends at once.
    if ((seen.ends_with("\nGap\n") || seen.ends_with("\nGap\r\n")) &&
        truncate("p.tga", 18 + 16) == 0 && write(keys[1], "\n", 1) == 1)
      close(keys[1]);
  }
  int status = 0;
  if (waitpid(tool, &status, 0) != tool || !WIFEXITED(status))
    _exit(98);
  _exit(WEXITSTATUS(status));
}

TEST(Fault, APictureCutAfterItLoadedStopsTheGrab) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), SmallPicture());
  test::WriteBytes(dir.File("font.tks"), "LoadTGA p.tga\nGap\n[Font]\nGrab 0,0,1\n");
  const test::ToolRun run =
      test::RunProgram(test::TypekilnBinary(), dir.path(), {"font.tks", "out.fnt"}, "", false,
                       CutThePictureAfterItLoads);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Missing value at following line:\nGap\n'p.tga' is truncated\n");
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")).size(), 24u);  // the header: no glyph
}

TEST(Fault, PicturesThatCannotBeLoaded) {
  const std::string truncated = "'p.tga' is truncated\n" + std::string(kNoPicture);
  const Bytes tiny(16, 0);
  const Case cases[] = {
      {"empty", "", std::string(kGrabOne), 1, "'p.tga' is not 32bpp!\n" + std::string(kNoPicture)},
      {"shorter than a header", std::string("\0\0\x02", 3), kGrabOne, 1,
       "'p.tga' is not 32bpp!\n" + std::string(kNoPicture)},
      {"width 0", TgaFile(0, 5, {}), kGrabOne, 1, kNoPicture},
      {"height 0", TgaFile(5, 0, {}), kGrabOne, 1, kNoPicture},
      {"65535 x 65535 raw", TgaFile(65535, 65535, tiny), kGrabOne, 1, truncated},
      {"65535 x 65535 run-length", TgaFile(65535, 65535, tiny, 10), kGrabOne, 1, truncated},
      {"a run past the picture", TgaFile(2, 1, Bytes{0x82, 1, 2, 3, 4}, 10), kGrabOne, 1,
       truncated},
  };
  for (const Case& fault : cases) Expect(fault);
}

TEST(Fault, APictureCutAnywhereIsTruncated) {
  // An identification field of 3 bytes, a colour map of two 24-bit entries, then the pixels.
  Bytes body = {'i', 'd', '!', 1, 2, 3, 4, 5, 6};
  const std::string whole = SmallPicture();
  body.insert(body.end(), whole.begin() + 18, whole.end());
  const std::string picture = TgaFile(4, 2, body, 2, 0x08, 32, 3, 2, 24);
  for (std::size_t length = 1; length < picture.size(); ++length) {
    const std::string message = length < 18 ? "is not 32bpp!" : "is truncated";
    Expect({"cut", picture.substr(0, length), kGrabOne, 1,
            "'p.tga' " + message + "\n" + std::string(kNoPicture)});
  }
}

TEST(Fault, UnreadablePicturesAndFolders) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder.tga");
  test::WriteBytes(dir.File("secret.tga"), SmallPicture());
  std::filesystem::permissions(dir.path() / "secret.tga", std::filesystem::perms::none);
  // Windows has no uid to give up, and the tests' administrator reads every file.
  const bool windows = test::WindowsTools();
  test::WriteBytes(dir.File("font.tks"), std::string("LoadTGA folder.tga\n") +
                                             (windows ? "" : "LoadTGA secret.tga\n") +
                                             "[Font]\nGrab 0,0,1\n");
  const test::ToolRun run =
      test::RunTypekiln(dir.path(), {"font.tks", "out.fnt"}, "", /*unprivileged=*/!windows);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, std::string("Cannot open: 'folder.tga'\n") +
                         (windows ? "" : "Cannot open: 'secret.tga'\n") + kNoPicture);
}

TEST(Fault, HostileScripts) {
  const std::string picture = SmallPicture();
  const std::string line = "Gap 3 " + std::string(1 << 20, 'x') + "\n";
  // The first 4 KiB of a script may hold no NUL: past them, a NUL ends its line.
  const std::string comments(4096, '\n');
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) % 256);
  const Case cases[] = {
      {"more than 128 glyphs in one set", picture,
       "LoadTGA p.tga\n[Font]\n" +
           [] {
             std::string grabs;
             for (int i = 0; i < 65; ++i) grabs += "Grab 0,0,2\n";  // two glyphs each
             return grabs;
           }(),
       1, "Too many glyphs at following line:\nGrab 0,0,2\n"},
      {"a line of a megabyte", picture, line + kGrabOne, 0, ""},
      {"NUL ends a line", picture, comments + std::string("Gap\0 5\n", 7) + kGrabOne, 1,
       "Missing value at following line:\nGap\n"},
      {"bytes 0x80 to 0xFF are blanks", picture, "\x80\xffGap\xa0 5\xff\n" + std::string(kGrabOne),
       0, ""},
      {"a binary file", picture, binary, 1, "Not a script: 'font.tks' holds binary data\n", false},
      {"the picture as a script", picture, picture, 1,
       "Not a script: 'font.tks' holds binary data\n", false},
      {"grabs far outside the picture", picture,
       "LoadTGA p.tga\n[Font]\nGrab -100,-100,1\nGrab 2147483647,0,1\nGrab 0,2000000000,1\n", 1,
       "Glyph not found at following line:\nGrab -100,-100,1\n"
       "Glyph not found at following line:\nGrab 2147483647,0,1\n"
       "Glyph not found at following line:\nGrab 0,2000000000,1\n"},
      {"MaxHeight 0 and negative", picture,
       "MaxHeight 0\nLoadTGA p.tga\n[Font]\nGrab 0,0,1\nMaxHeight -5\nGrab 0,0,1\n", 1,
       "Glyph not found at following line:\nGrab 0,0,1\n"
       "Glyph not found at following line:\nGrab 0,0,1\n"},
      {"MaxHeight beyond the picture", SmallPicture(10),
       "MaxHeight 100000\n" + std::string(kGrabOne), 0, ""},
  };
  for (const Case& fault : cases) Expect(fault);
}

}  // namespace
}  // namespace typekiln
