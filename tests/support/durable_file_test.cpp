// The descriptor owner and the durable replacement: a descriptor is closed exactly once whatever
// moves it, and a replacement that fails half-way leaves the old file as it was and no temporary
// file behind.
#include "support/durable_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "support/errors.h"
#include "support/files.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(UniqueFd, MovesOwnershipAndClosesOnce) {
  test::TempDir dir;
  test::WriteFile(dir / "a", "");
  const int a = ::open((dir / "a").c_str(), O_RDONLY | O_CLOEXEC);
  const int b = ::open((dir / "a").c_str(), O_RDONLY | O_CLOEXEC);
  {
    UniqueFd first(a);
    UniqueFd second(std::move(first));
    EXPECT_FALSE(first.Valid());
    EXPECT_EQ(second.Get(), a);
    UniqueFd third(b);
    third = std::move(second);  // b is closed, a changes hands
    EXPECT_FALSE(IsOpen(b));
    EXPECT_TRUE(IsOpen(a));
    EXPECT_EQ(third.Close(), 0);
    EXPECT_FALSE(IsOpen(a));
    EXPECT_EQ(third.Close(), 0) << "a second close touches nothing";
  }
  const int c = ::open((dir / "a").c_str(), O_RDONLY | O_CLOEXEC);
  {
    UniqueFd kept(c);
    EXPECT_EQ(kept.Release(), c);
  }
  EXPECT_TRUE(IsOpen(c)) << "a released descriptor stays open";
  ::close(c);
}

class DurableWrite : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string path = dir / "settings.ini";
  void SetUp() override { test::WriteFile(path, "old"); }
  void ExpectOldIntact() {
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_FALSE(FileExists(path + ".tmp"));
  }
};

TEST_F(DurableWrite, ReplacesTheWholeFile) {
  WriteFileAtomically(path, "new content");
  EXPECT_EQ(test::ReadFile(path), "new content");
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

// A file-size limit makes the write fail after its first bytes, as a full disk would.
TEST_F(DurableWrite, AWriteThatFailsHalfWayKeepsTheOldFile) {
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 4;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(WriteFileAtomically(path, std::string(4096, 'x')), EInOutError);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
  ExpectOldIntact();
}

TEST_F(DurableWrite, ARenameThatFailsKeepsTheOldFileAndDropsTheTemporary) {
  const std::string target = dir / "folder";
  test::MakeDirs(target + "/inside");  // a non-empty folder cannot be replaced by a file
  const std::string temp = dir / "temp";
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  EXPECT_THROW(ReplaceFile(fd, temp, target), EInOutError);
  EXPECT_FALSE(fd.Valid());
  EXPECT_FALSE(FileExists(temp));
  EXPECT_TRUE(DirectoryExists(target + "/inside"));
  EXPECT_EQ(PutInPlaceAt(-1, AT_FDCWD, temp, path), EBADF) << "the file's sync comes first";
  ExpectOldIntact();
}

}  // namespace
}  // namespace arl
