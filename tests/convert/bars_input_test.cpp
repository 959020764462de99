// What the bars are made from besides good lines: the first line that cannot be read stops the bars
// with its line number and puts out no bar it would have been part of; time formats that cannot be
// read back; line ends; the last line before a day; the settings text of the timeframes.
#include <cstdio>

#include "convert/bar_files.h"
#include "tests/common/temp_dir.h"
#include "tests/convert/bars_fixture.h"

namespace arl::test {
namespace {

const std::string kTwoMinutes =
    "2005/01/03,00:00:00,1.1,1.2,1.0,1.1\r\n"
    "2005/01/03,00:01:00,1.1,1.3,1.0,1.2\r\n";
const std::string kLater = "2005/01/03,00:10:00,1.1,1.2,1.0,1.1\r\n";

TEST(BarsInput, FirstBadLineStopsTheBars) {
  const struct {
    std::string line;
    LineFault fault;
  } cases[] = {
      {"2005/01/03,00:02:00,1.1,1.2,1.0,1.", LineFault::Torn},  // cut before its line end
      {"2005/01/03,00:02:00,1.1,1.2,1.0\r\n", LineFault::FieldCount},
      {"2005/01/03,00:02:00,1.1,1.2,1.0,1.1,1.1\r\n", LineFault::FieldCount},
      {"2005/01/03,00:02:00\r\n", LineFault::FieldCount},
      {"2005/01/03,00:02:00,1.1,1.2x,1.0,1.1\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,,1.0,1.1\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,1e3,1.0,1.1\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,1.2.3,1.0,1.1\r\n", LineFault::Price},
      // The shape of the lines before it, but for one byte.
      {"2005/01/03,00:02:00,1.1,1.x,1.0,1.1\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,1.2,1.0,1.:\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,1x2,1.0,1.1\r\n", LineFault::Price},
      {"2005/01/03,00:02:00,1.1,1.2.1,0,1.1\r\n", LineFault::Price},
      {"2005/02/30,00:02:00,1.1,1.2,1.0,1.1\r\n", LineFault::Date},
      {"2005-01-03,00:02:00,1.1,1.2,1.0,1.1\r\n", LineFault::Date},
      {"EURUSD,2005/01/03,00:02:00,1.1,1.2,1.0,1.1\r\n", LineFault::Date},
      {"2005/01/03,00:60:00,1.1,1.2,1.0,1.1\r\n", LineFault::Time},
      {"2005/01/03,0:02:00,1.1,1.2,1.0,1.1\r\n", LineFault::Time},
      {"2005/01/03,00:00:30,1.1,1.2,1.0,1.1\r\n", LineFault::Order},
      {std::string(70'000, '1') + "\r\n", LineFault::TooLong},
  };
  unsigned seed = 0;
  for (const auto& c : cases) {
    BarOutput out;
    BarMaker maker(BarOptions(), "EURUSD", out.Sinks());
    EXPECT_FALSE(
        FeedInPieces(maker, {kTwoMinutes + c.line + (c.fault == LineFault::Torn ? "" : kLater)}, ++seed, 40));
    const std::string what = c.line.substr(0, 50);
    EXPECT_EQ(maker.Fault().kind, c.fault) << what;
    EXPECT_EQ(maker.Fault().line, 3) << what;
    for (const KeptBars& frame : out.frames) EXPECT_EQ(frame.text, "") << what;
  }

  BarOutput out;
  BarMaker maker(BarOptions(true), "EURUSD", out.Sinks());
  EXPECT_FALSE(FeedInPieces(maker, {"EURUSD," + kTwoMinutes.substr(0, 37) + "GBPUSD," + kLater}, 1));
  EXPECT_EQ(maker.Fault().kind, LineFault::Ticker);
  EXPECT_EQ(
      maker.Fault().Message(),
      "0 の 2 行目が読めないので、足を作れません (通貨名の列が違います)\r\nGBPUSD," + kLater.substr(0, 35));
}

// A file fed from a mapping of it tells its faults as one fed from reads: the line, counted from
// the byte the feeding started at, and a last line without its line end.
TEST(BarsInput, MappedFilesTellFaultsAsReadOnes) {
  TempDir dir;
  const std::string nextDay = "2005/01/04,00:00:00,1.1,1.2,1.0,1.1\r\n";
  for (const std::string last : {"2005/01/04,00:11:00,1.1,x,1.0,1.1\r\n", "2005/01/04,00:12:00,1.1,1.2"}) {
    WriteFile(dir / "m", kTwoMinutes + kLater + nextDay + last);
    std::string told[2];
    for (const std::int64_t mapAtLeast : {kMapAtLeast, std::int64_t{1}}) {
      BarOutput out;
      BarMaker maker(BarOptions(), "EURUSD", out.Sinks(), BarWindow::From(EncodeDate(2005, 1, 4)));
      EXPECT_FALSE(MakeBarsFromFiles(maker, {dir / "m"}, mapAtLeast));
      told[mapAtLeast == 1] = maker.Fault().Message();
    }
    EXPECT_EQ(told[0], told[1]);
    EXPECT_NE(told[1].find("バイト目から数えて 2 行目"), std::string::npos) << told[1];
  }
}

// Read from a byte inside the first line, the file starts with its second line.
TEST(BarsInput, FileReadFromAnOffset) {
  TempDir dir;
  WriteFile(dir / "m", kTwoMinutes + kLater + "2005/01/03,00:11:00,1.1,x,1.0,1.1\r\n");
  BarOutput out;
  BarMaker maker(BarOptions(), "EURUSD", out.Sinks());
  EXPECT_EQ(FeedBarFile(maker, dir / "m", "m", 5), BarMaker::State::Failed);
  EXPECT_EQ(maker.Fault().Message(),
            "m の 37 バイト目から数えて 3 行目が読めないので、足を作れません (価格が数値ではありません)\r\n"
            "2005/01/03,00:11:00,1.1,x,1.0,1.1");
}

// The minutes [from, to) of a day as 1-minute lines.
std::string Minutes(const std::string& date, int from = 0, int to = 1440) {
  std::string text;
  for (int m = from; m < to; ++m) {
    char line[64];
    std::snprintf(line, sizeof line, "%s,%02d:%02d:00,1.1,1.2,1.0,1.1\r\n", date.c_str(), m / 60, m % 60);
    text += line;
  }
  return text;
}

// The last line before a day, in files too long to be read whole: a year file whose last hours lie
// in the next year, one of the next year, a torn one.
TEST(BarsInput, LastLineBeforeADay) {
  TempDir dir;
  WriteFile(dir / "2005", Minutes("2005/12/29") + Minutes("2005/12/30") + Minutes("2005/12/31", 0, 1439) +
                              Minutes("2006/01/01", 0, 180));
  WriteFile(dir / "2006", Minutes("2006/01/01", 180) + Minutes("2006/01/02"));
  WriteFile(dir / "torn", Minutes("2005/12/31") + "2006/01/01,00:00:00,1.1");
  MinuteLineReader reader(BarOptions(), "EURUSD");
  const std::int64_t jan1 = EncodeDate(2006, 1, 1).DayNumber() * DateTime::kMsPerDay;
  const auto before = [&](const char* file, std::int64_t day) {
    return LastTimeBefore(dir / file, reader, day);
  };
  EXPECT_EQ(before("2005", jan1 / DateTime::kMsPerDay), jan1 - 120'000);
  EXPECT_EQ(before("2005", jan1 / DateTime::kMsPerDay + 1), jan1 + 179 * 60'000);
  EXPECT_EQ(before("2006", jan1 / DateTime::kMsPerDay), kNoLine);
  EXPECT_EQ(before("2006", jan1 / DateTime::kMsPerDay + 1), jan1 + 1439 * 60'000);
  EXPECT_EQ(before("torn", jan1 / DateTime::kMsPerDay), std::nullopt);
}

TEST(BarsInput, PricesCompareAsNumbers) {
  const struct {
    std::string a, b;
    int order;
  } cases[] = {
      {"1.2", "1.20", 0},
      {"01.5", "1.5", 0},
      {"10.00", "9.999", 1},
      {"9.99", "10.0", -1},
      {"1.35590", "1.35610", -1},
      {"1.3561", "1.3559", 1},
      {"-1.5", "-1.25", -1},
      {"-0", "0", 0},
      {"+2", "2.0", 0},
      {".5", "0.5", 0},
      {"12345678.9", "12345679", -1},
      {"123456789012.5", "123456789012.25", 1},
  };
  for (const auto& c : cases) {
    const auto point = [](const std::string& t) {
      return static_cast<std::uint8_t>(t.find('.') == std::string::npos ? kNoPoint : t.find('.'));
    };
    const std::string a = c.a + std::string(16, '\0'), b = c.b + std::string(16, '\0');
    PriceText kept, other;
    kept.Set(std::string_view(b).substr(0, c.b.size()), point(c.b));
    other.Set(std::string_view(a).substr(0, c.a.size()), point(c.a));
    const int order = ComparePrice(std::string_view(a).substr(0, c.a.size()), point(c.a), kept);
    EXPECT_EQ((order > 0) - (order < 0), c.order) << c.a << " " << c.b;
    const int kepts = ComparePrice(other, kept);
    EXPECT_EQ((kepts > 0) - (kepts < 0), c.order) << c.a << " " << c.b;
  }
}

TEST(BarsInput, LineEndsAndBlankLines) {
  std::string expected;
  for (const char* end : {"\r\n", "\n", "\r"}) {
    std::string text = kTwoMinutes + "\r\n" + kLater;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
      text.replace(at, 2, end), ++at;
    BarOutput out;
    BarMaker maker(BarOptions(), "EURUSD", out.Sinks());
    ASSERT_TRUE(FeedInPieces(maker, {text}, 3, 3)) << maker.Fault().Message();
    EXPECT_EQ(out.frames[0].text,
              "2005/01/03,00:00:00,1.1,1.3,1.0,1.2\r\n"
              "2005/01/03,00:10:00,1.1,1.2,1.0,1.1\r\n");
  }
}

TEST(BarsInput, TimeFormatsThatCannotBeReadBack) {
  for (const char* format : {"hh:nn:ss", "h:n", "hhnn", "hh:mm", "hh:nn AM/PM", "h:nn a/p", "t", "ddd hh:nn",
                             "hh'h'nn", "yyyy/mm/dd hh:nn:ss.zzz", "hh,nn"})
    EXPECT_TRUE(MinuteLineReader(BarOptions(false, '/', format), "EURUSD").Readable()) << format;
  // "c" and "tt" show the long time format, which is the format itself and so shows no time.
  for (const char* format : {"hh", "nn", "hh:ss", "hn", "hnn", "h'1'nn", "yyyy", "c", "tt"})
    EXPECT_FALSE(MinuteLineReader(BarOptions(false, '/', format), "EURUSD").Readable()) << format;

  BarOutput out;
  BarMaker maker(BarOptions(false, '/', "hh"), "EURUSD", out.Sinks());
  EXPECT_EQ(maker.Feed(kTwoMinutes), BarMaker::State::Failed);
  EXPECT_EQ(maker.Fault().Message(), "時刻の書式 \"hh\" からは時と分を読み戻せないので、足を作れません");
}

TEST(BarsInput, TimeframesOfTheSettings) {
  const TimeframeChoice choice = ParseTimeframes(" 1DAY, 5min,,5min , week, 15min,week");
  EXPECT_EQ(TimeframesText(choice.frames), "5min,15min,1day");
  EXPECT_EQ(choice.unknown, std::vector<std::string>{"week"});
  EXPECT_EQ(ParseTimeframes(TimeframesText(TimeframeSet::All())).frames, TimeframeSet::All());
  EXPECT_TRUE(ParseTimeframes(" , ").frames.Empty());
}

}  // namespace
}  // namespace arl::test
