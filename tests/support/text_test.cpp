#include "support/text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/errors.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

using Pieces = std::vector<std::string>;

TEST(CommaText, SplitsQuoteLinesAndQuotedPieces) {
  EXPECT_EQ(SplitCommaText("EURUSD,2005.01.03,00:01,1.3559"),
            (Pieces{"EURUSD", "2005.01.03", "00:01", "1.3559"}));
  EXPECT_EQ(SplitCommaText("  \t a , b"), (Pieces{"a", "b"}));
  EXPECT_EQ(SplitCommaText("\"a,b\",c"), (Pieces{"a,b", "c"}));
  EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\",x"), (Pieces{"say \"hi\"", "x"}));
  EXPECT_EQ(SplitCommaText("\"\",x"), (Pieces{"", "x"}));
  EXPECT_EQ(SplitCommaText("\"ab\"cd,e"), (Pieces{"ab", "cd", "e"}));
  EXPECT_EQ(SplitCommaText("\"open"), (Pieces{"open"}));  // an unclosed quote keeps its last byte
  EXPECT_EQ(SplitCommaText("\"a\"\"b"), (Pieces{"a\"b"}));
}

TEST(CommaText, BlanksCommasAndEnds) {
  EXPECT_EQ(SplitCommaText("a b,c"), (Pieces{"a", "b", "c"}));  // a space ends a piece
  EXPECT_EQ(SplitCommaText("a,,b"), (Pieces{"a", "", "b"}));
  EXPECT_EQ(SplitCommaText("a,"), (Pieces{"a", ""}));
  EXPECT_EQ(SplitCommaText("a, "), (Pieces{"a"}));  // the comma is not the last byte
  EXPECT_EQ(SplitCommaText(","), (Pieces{"", ""}));
  EXPECT_TRUE(SplitCommaText("").empty());
  EXPECT_TRUE(SplitCommaText(" \r\n").empty());
  EXPECT_EQ(SplitCommaText("\xE5\x86\x86,\x80x"), (Pieces{"\xE5\x86\x86", "\x80x"}));
  EXPECT_EQ(SplitCommaText(std::string_view("a,b\0c,d", 7)), (Pieces{"a", "b"}));
}

TEST(CommaText, ViewsStayValidAndBuffersAreReused) {
  std::vector<std::string_view> pieces;
  std::string storage;
  const std::string text = "\"a\"\"1\",\"b\"\"2\",\"c\"\"3\",\"d\"\"4\",plain";
  SplitCommaText(text, pieces, storage);
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[0], "a\"1");  // still intact after three more pieces went to storage
  EXPECT_EQ(pieces[3], "d\"4");
  EXPECT_EQ(pieces[4].data(), text.data() + text.size() - 5);  // a view into the text, not a copy

  SplitCommaText("x,y", pieces, storage);
  EXPECT_EQ(pieces, (std::vector<std::string_view>{"x", "y"}));
  EXPECT_TRUE(storage.empty());
}

TEST(ReplaceAll, ReplacesLeftToRightBehindEachOccurrence) {
  EXPECT_EQ(ReplaceAll("file:///home/my dir/a  b/readme.html", " ", "%20"),
            "file:///home/my%20dir/a%20%20b/readme.html");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("ab", "b", "bb"), "abb");  // the inserted text is not searched again
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "x"), "");
}

TEST(ReplaceAll, NeverStartsInsideAMultiByteCharacter) {
  // U+3042 is E3 81 82 and U+3082 is E3 82 82: "\x82\xE3" spans two characters.
  const std::string text = "\xE3\x81\x82\xE3\x82\x82";
  EXPECT_EQ(ReplaceAll(text, "\x82\xE3", "-"), text);
  EXPECT_EQ(ReplaceAll(text, "\xE3\x82\x82", "mo"), "\xE3\x81\x82mo");
  EXPECT_EQ(ReplaceAll("\x82\x82x\x82", "\x82", "!"), "\x82\x82x\x82");
}

TEST(Lines, SplitOnEveryKindOfLineEnd) {
  LineList lines;
  SplitLines("a\r\nb\nc\rd", lines);
  EXPECT_EQ(lines, (LineList{"a", "b", "c", "d"}));
  SplitLines("a\r\n\r\nb\r\n", lines);
  EXPECT_EQ(lines, (LineList{"a", "", "b"}));
  SplitLines("a\r\r\n", lines);
  EXPECT_EQ(lines, (LineList{"a", ""}));
  SplitLines("", lines);
  EXPECT_TRUE(lines.empty());
}

TEST(Lines, SaveWritesCrLfAndLoadReadsBack) {
  test::TempDir dir;
  const std::string path = dir / "list.txt";
  SaveLines(path, {"EURUSD", "", "USDJPY"});
  EXPECT_EQ(test::ReadFile(path), "EURUSD\r\n\r\nUSDJPY\r\n");
  EXPECT_EQ(LoadLines(path), (LineList{"EURUSD", "", "USDJPY"}));
  ::chmod(path.c_str(), 0640);
  SaveLines(path, {});
  EXPECT_EQ(test::ReadFile(path), "");
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replacement keeps the file's mode
  EXPECT_THROW(LoadLines(dir / "missing.txt"), EInOutError);
  EXPECT_THROW(SaveLines(dir / "no/such/dir.txt", {"x"}), EInOutError);
}

TEST(Lines, SortIgnoresCaseAndKeepsTiesInByteOrder) {
  LineList lines{"b", "B", "a", "C", "A"};
  SortCaseInsensitive(lines);
  EXPECT_EQ(lines, (LineList{"A", "a", "B", "b", "C"}));
}

TEST(StrToInt, AcceptsDecimalAndHexadecimal) {
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("  -6"), -6);
  EXPECT_EQ(StrToInt("+1"), 1);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$ff"), 255);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RejectsAnythingElse) {
  for (const char* bad :
       {"", " ", "-", "abc", "1.5", "5 ", "0x", "$", "2147483648", "0x1FFFFFFFF", "1e3", "--1"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace arl
