// The shortcuts of the conversion against the rules they stand in for: the overlap search of later
// day files compares at line starts only while every line of the window keeps its date separators
// inside its date, so a key hidden in the prices of a line must still be found; lines repeating the
// first fields of the line before them take a fast path that must convert exactly as the general one.
#include <random>

#include "convert/byte_buffer.h"
#include "convert/fast_line.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

class FastPathTest : public ConvertTest {};

TEST_F(FastPathTest, KeyHiddenInThePricesOfAnEarlierLineIsStillTheFirstHit) {
  // The second line's prices hold the next day's first key (quoted, so it keeps its comma).
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100") +
                             Q("EURUSD", "20050103", "000200", "\"2005/01/03,18:03:00\",1,2,3") +
                             Q("EURUSD", "20050103", "000300"));
  WriteDay("050104.txt", Q("EURUSD", "20050104", "000300", "7,7,7,7"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"),
            "2005/01/02,18:01:00,1.3559,1.3561,1.3557,1.3560\r\n2005/01/03,18:03:00,7,7,7,7\r\n");
  ASSERT_GE(Logged().size(), 3u);
  EXPECT_EQ(Logged()[0], "050104.txt 0行目にてEURUSDの2005/01/03,18:03:00分が");
  EXPECT_EQ(Logged()[1], "2005/01/02,18:02:00,2005/01/03,18:03:00,1,2,3");
}

TEST_F(FastPathTest, DashSeparatorInFastPathPricesStillCountsForTheWindow) {
  // With "-" between the date's parts and a time without colons, a plain line of digits, dashes and
  // commas can carry a key in its prices; it takes the fast path (it repeats the first fields of
  // the line before it) and must still be found by the next day file.
  s().formats.DateSeparator = '-';
  s().formats.LongTimeFormat = "hhnnss";
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100") +
                             Q("EURUSD", "20050103", "000200", "2005-01-03,180300,1,2") +
                             Q("EURUSD", "20050103", "000300", "-1,-2,-3,-4"));
  WriteDay("050104.txt", Q("EURUSD", "20050104", "000300", "7,7,7,7"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"), "2005-01-02,180100,1.3559,1.3561,1.3557,1.3560\r\n2005-01-03,180300,7,7,7,7\r\n");
}

TEST_F(FastPathTest, LinesThatOnlyLookLikeTheFastPathConvertAsTheGeneralPathDoes) {
  const std::string p = "EURUSD,20050103,";
  WriteDay("050103.txt", p + "000100,1,2,3,4\r\n" +          // sets the prefix
                             p + "000130,1,2,3,4\r\n" +      // not a whole minute
                             p + "000200,1,2,3,4,5,6\r\n" +  // more than seven fields
                             p + "000300,1,2 ,3,4\r\n" +     // a blank ends a piece
                             p + "000400,1,,,\r\n" +         // empty prices
                             p + "000500,1,2,3\r\n" +        // too few fields: the call fails
                             "");
  EXPECT_FALSE(UpdateAll());
  WriteDay("050103.txt", p + "000100,1,2,3,4\r\n" + p + "000130,1,2,3,4\r\n" + p + "000200,1,2,3,4,5,6\r\n" +
                             p + "000300,1,2 ,3,4\r\n" + p + "000400,1,,,\r\n" + p + "000500,+1,-2,3.,.4");
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"),
            "2005/01/02,18:01:00,1,2,3,4\r\n2005/01/02,18:01:30,1,2,3,4\r\n2005/01/02,18:02:00,1,2,3,4\r\n"
            "2005/01/02,18:03:00,1,2,3,4\r\n2005/01/02,18:04:00,1,,,\r\n2005/01/02,18:05:00,+1,-2,3.,.4\r\n");
}

TEST_F(FastPathTest, ALineAfterOneThatSetNoPrefixTakesTheGeneralPath) {
  // Between the two, a line of no ticker ends the run of EURUSD lines: the last line, a time and
  // prices without a ticker, belongs to no ticker.
  // Lines of a ticker not converted follow, so that the three lie in the same part of the file.
  std::string rest;
  for (int i = 0; i < 300; ++i) rest += "XXXYYY,20050103,000100,1,2,3,4\r\n";
  WriteDay("050103.txt", "EURUSD,20050103,000100,1,2,3,4\r\nno ticker here\r\n123400,5,6,7,8\r\n" + rest);
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"), "2005/01/02,18:01:00,1,2,3,4\r\n");
}

TEST(FastLineTest, TheWideCheckAgreesWithTheNarrowOneOnRandomLines) {
  if (!HasWideLineCheck()) GTEST_SKIP() << "the processor has no wide line check";
  // Rests around the 64 bytes the wide check classifies at once, of bytes that stop or break a fast
  // line among the usual ones, near the end of the text and far from it.
  const std::string prefix = "EURUSD,20050103,";
  const std::string alphabet = "0123456789.,,,-+/ \r\nAZ\x80\xff;";
  std::mt19937 rnd(7);
  int converted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string rest = "1234" + std::string(rnd() % 3 ? "00" : "30");
    for (int field = 0; field < 4 + (rnd() % 5 == 0 ? 1 : 0); ++field) {
      rest += ',';
      for (std::size_t i = rnd() % 20; i > 0; --i) rest += "0123456789.-+"[rnd() % 13];
    }
    if (rnd() % 2) rest[rnd() % rest.size()] = alphabet[rnd() % alphabet.size()];
    const std::string text = prefix + rest + (rnd() % 2 ? "\r\n" : "\n") + std::string(rnd() % 80, '7');
    FastLine narrow, wide;
    const bool n = ReadFastLine(text, 0, prefix, true, narrow);
    ASSERT_EQ(ReadFastLineWide(text, 0, prefix, WideBytes(), wide), n) << text;
    if (!n) continue;
    ++converted;
    EXPECT_EQ(wide.next, narrow.next) << text;
    EXPECT_EQ(wide.minute, narrow.minute) << text;
    EXPECT_EQ(wide.time, narrow.time) << text;
    EXPECT_EQ(wide.prices, narrow.prices) << text;
  }
  EXPECT_GT(converted, 500);
}

TEST(ByteBufferTest, ShortCopiesOfEveryLengthAndGrowthKeepTheBytes) {
  std::string source;
  for (int i = 0; i < 80; ++i) source += static_cast<char>('A' + i % 50);
  for (std::size_t n = 0; n <= 70; ++n) {
    std::string target(80, '.');
    ByteBuffer::CopyShort(target.data() + 3, source.data() + 5, n);
    EXPECT_EQ(target, std::string(3, '.') + source.substr(5, n) + std::string(77 - n, '.')) << n;
  }
  char outside[16];
  ByteBuffer b;
  b.Adopt(outside, sizeof outside);
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    const std::string piece = std::to_string(i) + ",";
    b.Append(piece);
    expected += piece;
  }
  b.EraseFront(10);
  b.InsertFront("head");
  EXPECT_EQ(b.view(), "head" + expected.substr(10));
}

}  // namespace
}  // namespace arl::test
