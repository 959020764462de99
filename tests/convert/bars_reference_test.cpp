// The bars against a reference made straight from the rules (each line parsed, its minute put into
// the bar of every timeframe that starts at a multiple of the length from midnight, prices compared
// as doubles), on generated 1-minute year files with gaps, for every mix of options, fed in random
// pieces and through the files, for one year and from a day on.
#include "tests/common/bars_reference.h"

#include <random>

#include "convert/bar_files.h"
#include "support/output_line.h"
#include "support/text.h"
#include "tests/common/temp_dir.h"
#include "tests/convert/bars_fixture.h"

namespace arl::test {
namespace {

constexpr int kYear = 2005;

// A price of `cents` hundredths written one of three ways: "1.2", "1.20" or "1.200".
std::string PriceOf(int cents, std::mt19937& rng) {
  std::string text =
      std::to_string(cents / 100) + (cents % 100 < 10 ? ".0" : ".") + std::to_string(cents % 100);
  if (rng() % 3 == 0) text += '0';
  if (rng() % 3 == 0) text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

// The 1-minute files of archive years kYear-1 .. kYear+1 around the year ends: weekdays only, some
// days, hours and minutes missing, prices on a coarse grid so that bars meet equal prices.
std::vector<std::string> MinuteFiles(const RunOptions& o, unsigned seed) {
  const FormatSettings fs = RunFormats(o);
  const CompiledFormat date(fs.ShortDateFormat, fs), time(o.timeFormat, fs);
  std::mt19937 rng(seed);
  std::vector<std::string> files(3);
  int level = 150;
  for (int year = kYear - 1; year <= kYear + 1; ++year) {
    std::vector<DateTime> days;
    for (int d = 1; d <= 6 && year > kYear - 1; ++d) days.push_back(EncodeDate(year, 1, d));
    if (year == kYear) days.push_back(EncodeDate(year, 6, 15));
    for (int d = 26; d <= 31 && year < kYear + 1; ++d) days.push_back(EncodeDate(year, 12, d));
    for (const DateTime day : days) {
      int mm = 0, dd = 0, yy = 0;
      DecodeDate(day, yy, mm, dd);
      const bool yearEnd = (mm == 1 && dd == 1) || (mm == 12 && dd == 31);
      if (!yearEnd && (DayOfWeek(day) % 6 == 0 || rng() % 7 == 0)) continue;
      const int missingHour = rng() % 3 == 0 ? static_cast<int>(rng() % 24) : -1;
      for (int minute = 0; minute < 1440; ++minute) {
        if (minute / 60 == missingHour || rng() % 20 == 0) continue;
        level = std::max(20, level + static_cast<int>(rng() % 5) - 2);
        const int high = level + static_cast<int>(rng() % 3), low = level - static_cast<int>(rng() % 3);
        const DateTime t = AddHours(AddMs(day, minute * 60'000), o.shiftHours);
        files[static_cast<std::size_t>(year - kYear + 1)] +=
            LineHead(o, "EURUSD") + date.Format(t) + "," + time.Format(t) + "," + PriceOf(level, rng) + "," +
            PriceOf(high, rng) + "," + PriceOf(low, rng) + "," + PriceOf(low + (high - low) / 2, rng) +
            "\r\n";
      }
    }
  }
  return files;
}

// The lines of the bars that start on the window's days, one text per timeframe.
std::array<std::string, kTimeframeCount> Texts(const RunOptions& o, const RefBars& bars, BarWindow window) {
  std::array<std::string, kTimeframeCount> texts;
  for (std::size_t i = 0; i < kTimeframeCount; ++i)
    texts[i] = RefLines(o, "EURUSD", bars[i], window.firstDay, window.endDay);
  return texts;
}

void ExpectSame(const std::array<std::string, kTimeframeCount>& want, BarOutput& got, std::size_t headSize,
                const std::string& what) {
  for (std::size_t i = 0; i < kTimeframeCount; ++i) {
    EXPECT_EQ(want[i], got.frames[i].text) << what << " " << kTimeframes[i].name;
    // Each bar is put out under the year of its date.
    LineList lines;
    SplitLines(got.frames[i].text, lines);
    ASSERT_EQ(lines.size(), got.frames[i].years.size());
    for (std::size_t k = 0; k < lines.size(); ++k)
      ASSERT_EQ(lines[k].substr(headSize, 4), std::to_string(got.frames[i].years[k]));
  }
}

TEST(BarsReference, EveryOptionMixMatchesTheRules) {
  unsigned seed = 1;
  for (bool keepTicker : {false, true})
    for (char separator : {'/', '-'})
      for (const char* format : {"hh:nn:ss", "hh:nn", "h:nn", "hh:nn AM/PM", "ddd hh:nn"})
        for (int shift : {-6, 0, 7}) {
          const RunOptions o = BarOptions(keepTicker, separator, format, shift);
          const std::vector<std::string> files = MinuteFiles(o, ++seed);
          const RefBars reference = ReferenceBars(o, files);
          const std::string what = std::string(format) + (keepTicker ? " ticker " : " ") + separator +
                                   " shift " + std::to_string(shift);
          BarOutput pieces;
          BarMaker maker(o, "EURUSD", pieces.Sinks(), BarWindow::Year(kYear));
          ASSERT_TRUE(FeedInPieces(maker, files, seed)) << what << ": " << maker.Fault().Message();
          ExpectSame(Texts(o, reference, BarWindow::Year(kYear)), pieces, LineHead(o, "EURUSD").size(), what);

          // The same through the files, and a recompute from the last days of the year on.
          TempDir dir;
          std::vector<std::string> paths;
          for (std::size_t y = 0; y < files.size(); ++y) {
            paths.push_back(dir / (std::to_string(kYear - 1 + static_cast<int>(y)) + ".txt"));
            WriteFile(paths.back(), files[y]);
          }
          // Read in pieces, and from a mapping of each file (which long files are).
          for (const BarWindow window : {BarWindow::Year(kYear), BarWindow::From(EncodeDate(kYear, 12, 29))})
            for (const std::int64_t mapAtLeast : {kMapAtLeast, std::int64_t{1}}) {
              BarOutput read;
              BarMaker fromFiles(o, "EURUSD", read.Sinks(), window);
              ASSERT_TRUE(MakeBarsFromFiles(fromFiles, paths, mapAtLeast))
                  << what << ": " << fromFiles.Fault().Message();
              ExpectSame(Texts(o, reference, window), read, LineHead(o, "EURUSD").size(),
                         what + (mapAtLeast == 1 ? " from mapped files" : " from files"));
            }
        }
}

// Bar files cut back at a day and given the bars made from that day on are the files of a whole
// rebuild, across a year's end too.
TEST(BarsReference, RecomputeFromADay) {
  const RunOptions o = BarOptions(true, '-', "hh:nn", 7);
  const std::vector<std::string> files = MinuteFiles(o, 99);
  TempDir dir;
  std::vector<std::string> paths;
  for (std::size_t y = 0; y < files.size(); ++y) {
    paths.push_back(dir / ("m" + std::to_string(y)));
    WriteFile(paths.back(), files[y]);
  }
  BarOutput whole;
  BarMaker all(o, "EURUSD", whole.Sinks());
  ASSERT_TRUE(MakeBarsFromFiles(all, paths));
  for (const DateTime from : {EncodeDate(kYear, 1, 4), EncodeDate(kYear, 12, 30)}) {
    BarOutput tail;
    BarMaker maker(o, "EURUSD", tail.Sinks(), BarWindow::From(from));
    ASSERT_TRUE(MakeBarsFromFiles(maker, paths, 1)) << maker.Fault().Message();
    for (std::size_t i = 0; i < kTimeframeCount; ++i) {
      const std::string barFile = dir / ("bars" + std::to_string(i));
      WriteFile(barFile, whole.frames[i].text);
      const std::int64_t cut = FirstLineOfDay(barFile, maker.Reader(), from.DayNumber());
      EXPECT_EQ(whole.frames[i].text.substr(0, static_cast<std::size_t>(cut)) + tail.frames[i].text,
                whole.frames[i].text)
          << kTimeframes[i].name;
    }
  }
}

// The day bar of the year's last day and the 4-hour bar at 16:00 take minutes from both files.
TEST(BarsReference, BarAcrossTwoYearFiles) {
  const std::vector<std::string> files = {
      "2004/12/31,15:59:00,1.5,1.5,1.5,1.5\r\n"
      "2004/12/31,17:58:00,1.31,1.32,1.30,1.31\r\n"
      "2004/12/31,17:59:00,1.31,1.33,1.29,1.32\r\n",
      "2004/12/31,18:00:00,1.32,1.330,1.290,1.31\r\n"
      "2004/12/31,23:59:00,1.31,1.31,1.28,1.30\r\n"
      "2005/01/03,00:00:00,1.40,1.40,1.40,1.40\r\n"};
  BarOutput out;
  BarMaker maker(BarOptions(), "EURUSD", out.Sinks(), BarWindow::Year(2004));
  ASSERT_TRUE(FeedInPieces(maker, files, 7, 9));
  EXPECT_EQ(out.frames[4].text,
            "2004/12/31,12:00:00,1.5,1.5,1.5,1.5\r\n"
            "2004/12/31,16:00:00,1.31,1.33,1.29,1.31\r\n"
            "2004/12/31,20:00:00,1.31,1.31,1.28,1.30\r\n");
  EXPECT_EQ(out.frames[5].text, "2004/12/31,00:00:00,1.5,1.5,1.28,1.30\r\n");
}

}  // namespace
}  // namespace arl::test
