#include "support/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/errors.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

std::vector<std::string> ReadAllLines(TextReader& reader) {
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

TEST(ListFiles, ListsOnlyTxtFilesInNameOrder) {
  test::TempDir dir;
  for (const char* name : {"050104.txt", "050103.txt", "notes.TXT", "050105.zip", "a.txt.bak", "B.txt"})
    test::WriteFile(dir / name, "x");
  test::MakeDirs(dir / "sub.txt");
  LineList list{"stale"};
  EXPECT_EQ(&ListFiles(dir.path(), list), &list);
  EXPECT_EQ(list, (LineList{"050103.txt", "050104.txt", "B.txt"}));
  std::string no_slash = dir.path();
  no_slash.pop_back();
  EXPECT_EQ(ListFiles(no_slash, list).size(), 3u);
  EXPECT_TRUE(ListFiles(dir / "missing", list).empty());
}

TEST(FileSizeByName, GivesSizeOrZero) {
  test::TempDir dir;
  test::WriteFile(dir / "empty.txt", "");
  test::WriteFile(dir / "five.txt", "12345");
  EXPECT_EQ(FileSizeByName(dir / "missing.txt"), 0);
  EXPECT_EQ(FileSizeByName(dir / "empty.txt"), 0);
  EXPECT_EQ(FileSizeByName(dir / "five.txt"), 5);
  EXPECT_TRUE(FileExists(dir / "five.txt"));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_TRUE(CreateDir(dir / "d"));
  EXPECT_FALSE(CreateDir(dir / "d"));
  EXPECT_FALSE(CreateDir(dir / "x/y"));  // one level only
  EXPECT_TRUE(RenameFile(dir / "five.txt", dir / "empty.txt"));
  EXPECT_EQ(FileSizeByName(dir / "empty.txt"), 5);
  EXPECT_TRUE(DeleteFile(dir / "empty.txt"));
  EXPECT_FALSE(DeleteFile(dir / "empty.txt"));
  EXPECT_EQ(ExecutableDir().back(), '/');
}

TEST(TextReader, ReadsEveryKindOfLineEnd) {
  test::TempDir dir;
  test::WriteFile(dir / "a.txt", "one\r\ntwo\nthree\rfour\r\n\r\nlast");
  TextReader reader(dir / "a.txt");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "one");
  EXPECT_TRUE(reader.LastLineTerminated());
  EXPECT_EQ(reader.Position(), 5);
  EXPECT_EQ(ReadAllLines(reader), (std::vector<std::string>{"two", "three", "four", "", "last"}));
  EXPECT_FALSE(reader.LastLineTerminated());
  EXPECT_TRUE(reader.Eof());
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_THROW(TextReader(dir / "missing.txt"), EInOutError);
  EXPECT_THROW(TextReader(dir.path()), EInOutError);
}

TEST(TextReader, SeeksInsideALineAndBackToTheStart) {
  test::TempDir dir;
  test::WriteFile(dir / "y.txt", "2005/01/03,00:01,1.3559\r\n2005/01/03,00:02,1.3560\r\n");
  TextReader reader(dir / "y.txt");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(SeekTextFile(reader, 36), 36);
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "00:02,1.3560");
  EXPECT_EQ(reader.Position(), 50);
  EXPECT_EQ(SeekTextFile(reader, 0), 0);
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "2005/01/03,00:01,1.3559");
  EXPECT_EQ(SeekTextFile(reader, -1), -1);  // a failed move keeps the reader in place
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "2005/01/03,00:02,1.3560");
}

TEST(TextReader, LineEndsAndLongLinesAcrossBufferRefills) {
  test::TempDir dir;
  const std::size_t n = TextReader::kBufferSize;
  // A CR LF split by the refill is one line end, and so is a CR alone at the refill.
  const std::string split = std::string(n - 1, 'a') + "\r\nb\r\n";
  const std::string lone = std::string(n - 1, 'a') + "\rb";
  const std::string longer = std::string(3 * n + 7, 'c') + "\nd";
  test::WriteFile(dir / "split.txt", split);
  test::WriteFile(dir / "lone.txt", lone);
  test::WriteFile(dir / "long.txt", longer);

  TextReader reader(dir / "split.txt");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line.size(), n - 1);
  EXPECT_EQ(reader.Position(), static_cast<std::int64_t>(n + 1));
  EXPECT_EQ(ReadAllLines(reader), (std::vector<std::string>{"b"}));

  reader.Open(dir / "lone.txt");
  EXPECT_EQ(ReadAllLines(reader), (std::vector<std::string>{std::string(n - 1, 'a'), "b"}));

  reader.Open(dir / "long.txt");
  EXPECT_EQ(ReadAllLines(reader), (std::vector<std::string>{std::string(3 * n + 7, 'c'), "d"}));
}

TEST(TextReader, WorksPastTwoGibibytes) {
  test::TempDir dir;
  const std::string path = dir / "big.txt";
  const std::int64_t offset = (std::int64_t{5} << 30) + 3;  // a sparse file of 5 GiB and a bit
  const std::string tail = "x\r\n2005/12/30,23:59,1.18\r\nlast,line\r\n";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), offset), static_cast<ssize_t>(tail.size()));
  ::close(fd);
  EXPECT_EQ(FileSizeByName(path), offset + static_cast<std::int64_t>(tail.size()));

  TextReader reader(path);
  EXPECT_EQ(SeekTextFile(reader, offset + 1), offset + 1);
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
  EXPECT_EQ(ReadAllLines(reader), (std::vector<std::string>{"2005/12/30,23:59,1.18", "last,line"}));
  EXPECT_EQ(reader.Position(), FileSizeByName(path));
}

}  // namespace
}  // namespace arl
