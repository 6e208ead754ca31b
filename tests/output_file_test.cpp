#include "io/output_file.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <iterator>

#include "test_support.h"

namespace typekiln {
namespace {

bool WriteWhole(const std::string& path, const std::string& text) {
  OutputFile file;
  if (!file.Create(path))
    return false;
  file.Write(text.data(), text.size());
  return file.Commit();
}

TEST(OutputFile, NamesTakenAheadDoNotStopIt) {
  test::TempDir dir;
  // Every name of a scheme that numbered temporaries after the process.
  for (int i = 0; i < 16; ++i)
    test::WriteBytes(
        dir.File(".typekiln-" + std::to_string(getpid()) + "-" + std::to_string(i) + ".tmp"), "");
  EXPECT_TRUE(WriteWhole(dir.File("out.fnt"), "font"));
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")), test::BytesOf("font"));
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 17u);
}

// Makes every fsync of this process fail with EIO, as a failing disk does.
bool FailEveryFsync() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fsync, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST(OutputFile, AFontThatCannotReachTheDiskLeavesTheOldOne) {
  test::TempDir dir;
  const std::string path = dir.File("out.fnt");
  test::WriteBytes(path, "old font");
  EXPECT_TRUE(test::RunInChild([&] { return FailEveryFsync() && !WriteWhole(path, "new"); }));
  EXPECT_EQ(test::ReadBytes(path), test::BytesOf("old font"));
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"out.fnt"});
}

}  // namespace
}  // namespace typekiln
