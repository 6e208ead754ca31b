#include "io/file_set.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;

// Two files of the set and their bytes.
struct Set {
  Bytes faces;
  Bytes script;
  std::vector<FileSetPiece> Pieces() const { return {{"faces.tga", faces}, {"font.tks", script}}; }
};

const Set kOld{test::BytesOf("old faces"), test::BytesOf("old script")};
const Set kNew{Bytes(4096, 'F'), test::BytesOf("new script")};

// `path` as a message names it, in quotes.
std::string Quoted(const std::filesystem::path& path) {
  return std::string("'").append(path.string()).append("'");
}

void WriteSet(const std::filesystem::path& folder, const Set& set) {
  std::filesystem::create_directory(folder);
  test::WriteBytes((folder / "faces.tga").string(),
                   std::string(set.faces.begin(), set.faces.end()));
  test::WriteBytes((folder / "font.tks").string(),
                   std::string(set.script.begin(), set.script.end()));
}

void ExpectSet(const std::filesystem::path& folder, const Set& set) {
  EXPECT_EQ(test::ReadBytes((folder / "faces.tga").string()), set.faces);
  EXPECT_EQ(test::ReadBytes((folder / "font.tks").string()), set.script);
}

TEST(FileSet, ANewFolderComesWholeAndAnOldSetOnlyWhenAsked) {
  test::TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  EXPECT_FALSE(WriteFileSet(out.string(), kNew.Pieces(), false).Failed());
  ExpectSet(out, kNew);
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"out"});
  EXPECT_EQ(WriteFileSet(dir.File("none/out"), kNew.Pieces(), false).message(),
            "cannot create the folder " + Quoted(dir.File("none/out")));

  // Over an old set with a file of the user's beside it.
  WriteSet(out, kOld);
  test::WriteBytes((out / "font.fnt").string(), "built");
  EXPECT_EQ(WriteFileSet(out.string() + "/", kNew.Pieces(), false).message(),
            Quoted(out / "faces.tga") + " exists; add --force to replace it");
  ExpectSet(out, kOld);
  EXPECT_FALSE(WriteFileSet(out.string(), kNew.Pieces(), true).Failed());
  ExpectSet(out, kNew);
  EXPECT_EQ(test::FolderEntries(out),
            (std::vector<std::string>{"faces.tga", "font.fnt", "font.tks"}));
  EXPECT_EQ(test::ReadBytes((out / "font.fnt").string()), test::BytesOf("built"));
}

TEST(FileSet, OnlyRegularWritableFilesAreReplaced) {
  test::TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  WriteSet(out, kOld);
  test::WriteBytes(dir.File("file"), "");
  EXPECT_EQ(WriteFileSet(dir.File("file"), kNew.Pieces(), true).message(),
            Quoted(dir.File("file")) + " is no folder; name a folder to write into");
  std::filesystem::remove(out / "font.tks");
  ASSERT_EQ(mkfifo((out / "font.tks").c_str(), 0644), 0);
  const std::string notAFile =
      Quoted(out / "font.tks") + " is no regular file; typekiln-import replaces only files";
  EXPECT_EQ(WriteFileSet(out.string(), kNew.Pieces(), true).message(), notAFile);
  std::filesystem::remove(out / "font.tks");
  std::filesystem::create_symlink("faces.tga", out / "font.tks");
  EXPECT_EQ(WriteFileSet(out.string(), kNew.Pieces(), true).message(), notAFile);
  std::filesystem::remove(out / "font.tks");

  // A write-protected file holds against an ordinary user, as against a slip.
  chmod(dir.path().c_str(), 0777);
  chmod(out.c_str(), 0777);
  chmod((out / "faces.tga").c_str(), 0444);
  EXPECT_TRUE(test::RunInChild(
      [&] {
        return WriteFileSet(out.string(), kNew.Pieces(), true).message() ==
               Quoted(out / "faces.tga") +
                   " is read-only; make it writable to replace it, or choose another folder";
      },
      true));
  EXPECT_EQ(test::ReadBytes((out / "faces.tga").string()), kOld.faces);
  EXPECT_EQ(test::FolderEntries(out), std::vector<std::string>{"faces.tga"});
}

// Writes `set` into `folder` in a child whose files may not grow past 1 KiB, as on a full disk.
bool WriteOnAFullDisk(const std::filesystem::path& folder, const Set& set) {
  return test::RunInChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &small);
    return WriteFileSet(folder.string(), set.Pieces(), true).message() ==
           "Cannot write: " + Quoted(folder / "faces.tga");
  });
}

TEST(FileSet, AFileThatCannotBeWrittenLeavesTheOldSetAndNothingBeside) {
  test::TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  EXPECT_TRUE(WriteOnAFullDisk(out, kNew));
  EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  WriteSet(out, kOld);
  EXPECT_TRUE(WriteOnAFullDisk(out, kNew));
  ExpectSet(out, kOld);
  EXPECT_EQ(test::FolderEntries(out), (std::vector<std::string>{"faces.tga", "font.tks"}));
}

TEST(FileSet, AMoveThatFailsPutsBackTheMovesBeforeIt) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root, to give the second file to another user";
  // In a sticky folder an ordinary user may not move another user's file: the script, second
  // in the set, cannot be moved aside once the faces have taken their place.
  test::TempDir dir;
  const std::filesystem::path out = dir.path() / "out";
  WriteSet(out, kOld);
  chmod(dir.path().c_str(), 0777);
  chmod(out.c_str(), 01777);
  constexpr uid_t kNobody = 65534;
  constexpr uid_t kOther = 65533;
  ASSERT_EQ(chown((out / "faces.tga").c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(chown((out / "font.tks").c_str(), kOther, kOther), 0);
  chmod((out / "font.tks").c_str(), 0666);
  EXPECT_TRUE(test::RunInChild(
      [&] {
        return WriteFileSet(out.string(), kNew.Pieces(), true).message() ==
               "cannot put " + Quoted(out / "font.tks") + " in place; every file is as it was";
      },
      true));
  ExpectSet(out, kOld);
  EXPECT_EQ(test::FolderEntries(out), (std::vector<std::string>{"faces.tga", "font.tks"}));
}

}  // namespace
}  // namespace typekiln
