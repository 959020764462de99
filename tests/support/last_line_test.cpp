// The last line by path, as the cross-check reads a year file: a short first line must not make a
// long last line come back cut.
#include "support/last_line.h"

#include <gtest/gtest.h>

#include "tests/common/temp_dir.h"

namespace arl {
namespace {

TEST(LastLineByPath, GivesTheWholeLastLineOrNothingForOneLine) {
  test::TempDir dir;
  const std::string path = dir / "year.txt";
  const std::string last(500, 'L');
  std::string text = "a\r\n";
  for (int i = 0; i < 50; ++i) text += "bb\r\n";
  test::WriteFile(path, text + last + "\r\n");
  std::string line;
  ASSERT_TRUE(ReadLastLine(path, line));
  EXPECT_EQ(line, last);

  test::WriteFile(path, "only\r\n");
  EXPECT_FALSE(ReadLastLine(path, line));
  test::WriteFile(path, "");
  EXPECT_FALSE(ReadLastLine(path, line));
  test::WriteFile(path, "first\r\nsecond");
  ASSERT_TRUE(ReadLastLine(path, line));
  EXPECT_EQ(line, "second");
  EXPECT_FALSE(EndsWithLineEnd(path));
}

}  // namespace
}  // namespace arl
