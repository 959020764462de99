// The byte-level pieces under the conversion: the line scanner (against the comma-text rule and the
// line splitter), the ticker matcher (against a plain substring test), the backward line reader and
// the year-file overlap search (against a forward scan), on random and awkward inputs.
#include <fcntl.h>
#include <unistd.h>

#include <random>

#include "convert/file_lines.h"
#include "convert/overlap_search.h"
#include "convert/scanned_line.h"
#include "convert/ticker_matcher.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

std::string RandomText(std::mt19937& rnd, std::size_t length, const std::string& alphabet) {
  std::string s;
  for (std::size_t i = 0; i < length; ++i) s += alphabet[rnd() % alphabet.size()];
  return s;
}

TEST(LineScanTest, ScannerAgreesWithLineSplitAndCommaRule) {
  std::mt19937 rnd(7);
  const std::string alphabet = "0123456789.,,,-+ \t\"/EURSDJPY\r\n";
  for (int round = 0; round < 3000; ++round) {
    // Random bytes, or lines sharing their first fields as a day file's do.
    std::string text;
    if (round % 2 == 0) {
      text = RandomText(rnd, rnd() % 120, alphabet);
    } else {
      for (int i = 0; i < 6; ++i)
        text += std::string(rnd() % 3 ? "EURUSD,20050103," : "EURUSD,2005") +
                RandomText(rnd, rnd() % 40, "0123456789.,-\"/E ") + (rnd() % 4 ? "\r\n" : "\n");
    }
    LineList expected;
    SplitLines(text, expected);
    std::size_t pos = 0;
    ScannedLine line, again;
    LineScanner scanner(text);
    std::size_t n = 0;
    while (ScanNextLine(text, pos, line)) {
      ASSERT_TRUE(scanner.Next(again));
      ASSERT_EQ(again.text, line.text);
      ASSERT_EQ(again.commaCount, line.commaCount) << line.text;
      ASSERT_TRUE(std::equal(line.commas, line.commas + line.commaCount, again.commas)) << line.text;
      ASSERT_EQ(again.plain, line.plain) << line.text;
      ASSERT_EQ(again.restSafe, line.restSafe) << line.text;
      ASSERT_LT(n, expected.size()) << text;
      ASSERT_EQ(line.text, expected[n]) << text;
      const std::string_view t = line.text;
      // Commas found are the first ones of the line, in order.
      std::vector<std::uint32_t> commas;
      for (std::size_t i = 0; i < t.size() && commas.size() < ScannedLine::kMaxCommas; ++i)
        if (t[i] == ',') commas.push_back(static_cast<std::uint32_t>(i));
      ASSERT_EQ(std::vector<std::uint32_t>(line.commas, line.commas + line.commaCount), commas) << t;
      // A plain line splits into its comma pieces exactly as the comma-text rule splits it.
      if (line.plain && line.commaCount < ScannedLine::kMaxCommas) {
        std::vector<std::string> pieces;
        std::size_t from = 0;
        for (std::uint32_t c : commas) {
          pieces.emplace_back(t.substr(from, c - from));
          from = c + 1;
        }
        pieces.emplace_back(t.substr(from));
        ASSERT_EQ(SplitCommaText(t), pieces) << t;
      }
      ++n;
    }
    ASSERT_EQ(n, expected.size()) << text;
    ASSERT_FALSE(scanner.Next(again));
  }
}

TEST(LineScanTest, MatcherAgreesWithSubstringSearch) {
  std::mt19937 rnd(11);
  const std::vector<LineList> lists = {
      {"EURUSD", "USD", "JPY", "USDJPY"}, {"EURUSD", "", "1.2", "D,2", "+"}, {"E"}};
  const std::string alphabet = "EURSDJPY0123456789.,-+ 2";
  for (const LineList& tickers : lists) {
    TickerMatcher matcher(tickers);
    for (int round = 0; round < 4000; ++round) {
      // Mostly realistic lines, some random bytes; repeated first fields exercise the cache.
      std::string line = round % 3 == 0 ? RandomText(rnd, rnd() % 30, alphabet)
                                        : tickers[rnd() % tickers.size()] + ",20050103," +
                                              RandomText(rnd, rnd() % 20, "0123456789.,-");
      std::vector<int> expected;
      for (int i = 0; i < static_cast<int>(tickers.size()); ++i)
        if (!tickers[static_cast<std::size_t>(i)].empty() &&
            line.find(tickers[static_cast<std::size_t>(i)]) != std::string::npos)
          expected.push_back(i);
      ASSERT_EQ(matcher.Match(line), expected) << line;
    }
  }
}

class FileSearchTest : public ::testing::Test {
 protected:
  int Open(const std::string& content) {
    WriteFile(dir / "f.txt", content);
    fd = OpenForReading(dir / "f.txt");
    return fd;
  }
  ~FileSearchTest() override {
    if (fd >= 0) ::close(fd);
  }
  TempDir dir;
  int fd = -1;
};

TEST_F(FileSearchTest, BackwardLinesMatchTheForwardSplitAcrossBlocks) {
  std::mt19937 rnd(3);
  for (int round = 0; round < 60; ++round) {
    std::string text;
    const int lines = static_cast<int>(rnd() % 40);
    for (int i = 0; i < lines; ++i) {
      // Now and then a line longer than the reader's block, and every kind of line end.
      text += RandomText(rnd, rnd() % 7 == 0 ? 70000 + rnd() % 70000 : rnd() % 20, "ab,1");
      text += std::vector<std::string>{"\r\n", "\n", "\r", ""}[rnd() % (i + 1 == lines ? 4 : 3)];
    }
    if (fd >= 0) ::close(fd);
    Open(text);
    LineList forward;
    SplitLines(text, forward);
    std::vector<std::int64_t> starts;
    ScanLinesForward(fd, [&](std::string_view, std::int64_t offset) {
      starts.push_back(offset);
      return false;
    });
    ASSERT_EQ(starts.size(), forward.size());
    BackwardLines backward(FileSource(fd), static_cast<std::int64_t>(text.size()));
    std::string_view line;
    std::int64_t offset = 0;
    for (std::size_t i = forward.size(); i-- > 0;) {
      ASSERT_TRUE(backward.Previous(line, offset)) << round;
      ASSERT_EQ(line, forward[i]) << round;
      ASSERT_EQ(offset, starts[i]) << round;
    }
    ASSERT_FALSE(backward.Previous(line, offset));
  }
}

TEST_F(FileSearchTest, BackwardSearchFindsTheFirstHitOrFallsBackToTheForwardScan) {
  const YearLineShape shape{"", '/'};
  std::string ordered;
  for (int d = 1; d <= 3; ++d)
    for (int m = 0; m < 70; ++m) {
      char line[64];
      std::snprintf(line, sizeof line, "2005/01/%02d,%d:%d,1.2,1.3,1.1,1.2\r\n", d, m / 60, m % 60);
      ordered += line;
    }
  Open(ordered);
  const auto size = static_cast<std::int64_t>(ordered.size());
  // "1:5" stands in 1:5 and 1:50..1:59 too: the first in file order wins.
  for (const char* key : {"2005/01/02,1:5", "2005/01/02,0:0", "2005/01/03,1:9", "2005/01/04,0:0",
                          "2005/01/01,0:7", "2004/12/31,0:1"}) {
    const auto back = FindOverlapInFile(fd, size, key, shape);
    const auto fwd = FindOverlapForward(fd, size, key);
    ASSERT_EQ(back.has_value(), fwd.has_value()) << key;
    if (back) {
      EXPECT_EQ(back->offset, fwd->offset) << key;
      EXPECT_EQ(back->line, fwd->line) << key;
    }
  }
  // Dates running backwards near the end, or a line of another shape: the forward scan decides.
  ::close(fd);
  const std::string unordered = "2005/01/02,0:1,1\r\n2005/01/03,0:1,1\r\n2005/01/02,0:2,1\r\n";
  Open(unordered);
  auto hit = FindOverlapInFile(fd, static_cast<std::int64_t>(unordered.size()), "2005/01/02,0:1", shape);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->offset, 0);
  ::close(fd);
  const std::string odd = "x 2005/01/02,0:1,1\r\n2005/01/02,0:1,1\r\n2005/01/03,0:1,1\r\n";
  Open(odd);
  hit = FindOverlapInFile(fd, static_cast<std::int64_t>(odd.size()), "2005/01/02,0:1", shape);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->line, "x 2005/01/02,0:1,1");
}

}  // namespace
}  // namespace arl::test
