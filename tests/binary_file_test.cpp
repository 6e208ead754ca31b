#include "io/binary_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Hex;

// A file that must be new, as the font's temporary is.
TEST(BinaryFile, WritesAllItIsGivenIntoANewFile) {
  test::TempDir dir;
  const std::string path = dir.File("out.bin");
  {
    BinaryFile file;
    ASSERT_TRUE(file.CreateNew(path));
    EXPECT_TRUE(file.Write(Hex("00 00 01 02").data(), 4));
    EXPECT_TRUE(file.Write(Hex("ff").data(), 1));
    EXPECT_TRUE(file.Write(Hex("ff").data(), 1));
    EXPECT_EQ(file.Size(), 6);
  }  // closed by the destructor
  EXPECT_EQ(test::ReadBytes(path), Hex("00 00 01 02 ff ff"));
}

TEST(BinaryFile, SeeksFromTheStartAndBackFromTheEndAndReadsAtAPosition) {
  test::TempDir dir;
  const std::string path = dir.File("data.bin");
  test::WriteBytes(path, "0123456789abcdef");
  BinaryFile file;
  ASSERT_TRUE(file.OpenRead(path));
  char two[2];
  ASSERT_TRUE(file.Seek(12));
  ASSERT_TRUE(file.Read(two, 2));
  EXPECT_EQ(std::string(two, 2), "cd");
  // Back from the end: the next read starts at 12 again, and one that runs past the end
  // reports it, and keeps what did arrive.
  ASSERT_TRUE(file.Seek(-4));
  char rest[8] = {};
  EXPECT_FALSE(file.Read(rest, sizeof rest));
  EXPECT_EQ(std::string(rest), "cdef");
  // A positioned read leaves the position where it was.
  ASSERT_TRUE(file.Seek(3));
  ASSERT_TRUE(file.ReadAt(10, two, 2));
  EXPECT_EQ(std::string(two, 2), "ab");
  ASSERT_TRUE(file.Read(two, 1));
  EXPECT_EQ(two[0], '3');
  EXPECT_FALSE(file.ReadAt(15, two, 2));  // one byte short
  EXPECT_FALSE(file.ReadAt(-1, two, 1));
}

TEST(BinaryFile, CreateNewRefusesAnExistingFile) {
  test::TempDir dir;
  const std::string path = dir.File("old.bin");
  test::WriteBytes(path, "old contents");
  BinaryFile file;
  EXPECT_FALSE(file.CreateNew(path));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(test::ReadBytes(path), test::BytesOf("old contents"));
  ASSERT_TRUE(file.CreateNew(dir.File("new.bin")));
  ASSERT_TRUE(file.Write("new", 3));
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(file.Close());  // closing again does nothing
  EXPECT_EQ(test::ReadBytes(dir.File("new.bin")), test::BytesOf("new"));
}

TEST(BinaryFile, FailuresAreReportedToTheCaller) {
  test::TempDir dir;
  BinaryFile file;
  EXPECT_FALSE(file.OpenRead(dir.File("missing.tga")));
  EXPECT_FALSE(file.OpenRead(dir.path().string()));  // a folder is no file to read
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.CreateNew(dir.File("no/such/folder.fnt")));
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  file.Adopt(full);
  EXPECT_FALSE(file.Write("a", 1));
  EXPECT_FALSE(file.Write("abc", 3));
}

}  // namespace
}  // namespace typekiln
