// Bars after conversion calls: a call killed between its 1-minute files and their bars leaves its
// first day noted, and the next call of the year makes the bars again from there however few day
// files it converts; and a bar file read once for its last day, cut where a day's bars start whether
// that lies in its last bytes or further back, and made whole beside itself.
#include <unistd.h>

#include "convert/bar_file_output.h"
#include "convert/bar_pending.h"
#include "tests/common/bars_reference.h"
#include "tests/common/temp_dir.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

class BarsFollowTest : public ConvertTest {
 protected:
  BarsFollowTest() { s().optionValues.Timeframes = "5min,1hour,1day"; }

  // A day file of both tickers: every third minute from 08:00 to 14:00, prices stepped by `step`.
  void WriteTradingDay(const std::string& yymmdd, int step) {
    std::string text;
    for (const std::string ticker : {"EURUSD", "USDJPY"})
      for (int minute = 8 * 60, level = 3000; minute <= 14 * 60; minute += 3, level += step % 5 - 2, ++step) {
        char time[8], prices[64];
        std::snprintf(time, sizeof time, "%02d%02d00", minute / 60, minute % 60);
        std::snprintf(prices, sizeof prices, "1.%04d,1.%04d,1.%04d,1.%04d", level, level + step % 4,
                      level - 3, level + 1);
        text += Q(ticker, "20" + yymmdd, time, prices);
      }
    WriteDay(yymmdd + ".txt", text);
  }

  // Where the bar files differ from what the rules give for the 1-minute year files on disk; "" when
  // they do not.
  std::string BarsAgainstMinutes() {
    const RunOptions& o = s().Options();
    std::string differences;
    for (const std::string ticker : {"EURUSD", "USDJPY"}) {
      const RefBars bars = ReferenceBars(o, {ReadFile(YearPath(ticker))});
      for (const TimeframeInfo& frame : kTimeframes) {
        if (!o.timeframes.Has(frame.frame)) continue;
        for (const auto& [year, text] : RefYearFiles(o, ticker, bars[IndexOf(frame.frame)])) {
          const std::string path = s().paths.BarYearFilePath(o, ticker, frame.name, std::to_string(year));
          if (!FileExists(path) || ReadFile(path) != text) differences += path + "\n";
        }
      }
    }
    return differences;
  }
  std::string Note() { return s().paths.BarsPendingPath("2005"); }
};

TEST_F(BarsFollowTest, AKilledCallsNoteHasTheNextCallMakeItsBarsAgain) {
  for (const std::string day : {"050103", "050104", "050105", "050106", "050107"}) WriteTradingDay(day, 1);
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(BarsAgainstMinutes(), "");
  EXPECT_FALSE(FileExists(Note()));

  // 4 January comes again with other prices; the call is stopped once its 1-minute files are written.
  WriteTradingDay("050104", 3);
  host().onStatus = [&](std::string_view status) {
    if (status.find("上位足を作成中") != std::string_view::npos) s().cancel.Cancel();
  };
  EXPECT_FALSE(Update({"050104.txt", "050105.txt", "050106.txt", "050107.txt"}));
  host().onStatus = nullptr;
  s().cancel.Reset();
  EXPECT_NE(BarsAgainstMinutes(), "");
  EXPECT_EQ(ReadFile(Note()), "2005-01-03\r\n");  // 4 January's first minutes fall on the 3rd

  // The next call converts only the last days, which change nothing; the note has it mend the bars.
  ASSERT_TRUE(Update({"050106.txt", "050107.txt"}));
  EXPECT_EQ(BarsAgainstMinutes(), "");
  EXPECT_FALSE(FileExists(Note()));

  // The last day comes again shorter: its bars are written over the old ones and the files cut.
  std::string shorter = ReadFile(YearDir() + "050107.txt");
  shorter.resize(shorter.size() / 3);
  shorter.resize(shorter.rfind('\n') + 1);
  WriteDay("050107.txt", shorter);
  ASSERT_TRUE(Update({"050106.txt", "050107.txt"}));
  EXPECT_EQ(BarsAgainstMinutes(), "");

  // Without timeframes a call leaves no note behind.
  NoteBarsPending(s().paths, 2005, EncodeDate(2005, 1, 6).DayNumber());
  s().optionValues.Timeframes = "";
  ASSERT_TRUE(Update({"050106.txt", "050107.txt"}));
  EXPECT_FALSE(FileExists(Note()));
}

TEST_F(BarsFollowTest, TheNoteKeepsTheEarliestDayAndReadsBadTextAsTheYearsStart) {
  const Paths& paths = s().paths;
  MakeDirs(YearDir());
  EXPECT_FALSE(PendingBarsFrom(paths, 2005));
  NoteBarsPending(paths, 2005, EncodeDate(2005, 3, 2).DayNumber());
  NoteBarsPending(paths, 2005, EncodeDate(2005, 3, 9).DayNumber());
  EXPECT_EQ(PendingBarsFrom(paths, 2005), EncodeDate(2005, 3, 2).DayNumber());
  NoteBarsPending(paths, 2005, EncodeDate(2004, 12, 31).DayNumber());
  EXPECT_EQ(ReadFile(Note()), "2004-12-31\r\n");
  for (const std::string bad : {"", "2005-02-30\r\n", "yesterday\r\n"}) {
    WriteFile(Note(), bad);
    EXPECT_EQ(PendingBarsFrom(paths, 2005), EncodeDate(2005, 1, 1).DayNumber()) << bad;
  }
  ClearBarsPending(paths, 2005);
  ClearBarsPending(paths, 2005);  // none left: nothing to do
  EXPECT_FALSE(PendingBarsFrom(paths, 2005));
}

// A bar file of 40 days of 5-minute bars, 09:00 to 15:55: about 120 KiB, more than its read tail.
constexpr std::size_t kTail = BarFileOutput::TailBytes(5);

std::string FiveMinuteBars() {
  std::string text;
  for (int day = 1; day <= 40; ++day)
    for (int minute = 9 * 60; minute < 16 * 60; minute += 5) {
      char line[64];
      std::snprintf(line, sizeof line, "2005/%02d/%02d,%02d:%02d:00,1.2,1.3,1.1,1.2\r\n", 1 + (day - 1) / 20,
                    1 + (day - 1) % 20, minute / 60, minute % 60);
      text += line;
    }
  return text;
}

TEST(BarFileOutput, CutsAtTheFirstBarOfADayNearTheEndOrFarBack) {
  TempDir dir;
  const std::string path = dir / "5min_2005.txt";
  const std::string old = FiveMinuteBars();
  ASSERT_GT(old.size(), kTail);
  RunOptions o;
  MinuteLineReader reader(o, "");
  const std::string added = "2005/02/20,16:00:00,1.4,1.4,1.4,1.4\r\n";
  // The last day, a day just inside the tail, one behind it, the first day, a day after the last.
  // Cut first or written over, found from the end or from the start.
  for (const TailCut how : {TailCut{}, TailCut{false, true}, TailCut{true, false}, TailCut{true, true}})
    for (const auto& [month, day] : {std::pair{2, 20}, {2, 15}, {2, 3}, {1, 1}, {3, 1}}) {
      WriteFile(path, old);
      WriteFile(path + ".tmp", "left by a killed run");
      BarFileOutput out(path, kTail);
      EXPECT_EQ(out.LastDay(reader), EncodeDate(2005, 2, 20).DayNumber());
      char date[16];
      std::snprintf(date, sizeof date, "2005/%02d/%02d", month, day);
      const std::size_t cut = std::min(old.find(date), old.size());
      out.StartTail(reader, EncodeDate(2005, month, day).DayNumber(), how);
      out.Put(2005, added);
      EXPECT_FALSE(out.Finish());
      const std::string what = std::string(date) +
                               (how.searchFromStart ? " from the start" : " from the end") +
                               (how.overwrite ? ", written over" : ", cut first");
      EXPECT_EQ(ReadFile(path), old.substr(0, cut) + added) << what;
      EXPECT_FALSE(FileExists(path + ".tmp")) << what;
    }
}

// A recompute from far back writes more than the buffer holds: in pieces, after the cut or over the
// old bytes, and a new tail shorter than the old one still ends the file.
TEST(BarFileOutput, ALongTailIsWrittenInPiecesWhereTheCutIs) {
  TempDir dir;
  const std::string path = dir / "5min_2005.txt";
  std::string old;  // 5-minute bars of 28 days a month, about 3.5 MiB
  for (int month = 1; month <= 12; ++month)
    for (int day = 1; day <= 28; ++day)
      for (int minute = 0; minute < 24 * 60; minute += 5) {
        char line[64];
        std::snprintf(line, sizeof line, "2005/%02d/%02d,%02d:%02d:00,1.2,1.3,1.1,1.2\r\n", month, day,
                      minute / 60, minute % 60);
        old += line;
      }
  ASSERT_GT(old.size(), 3 * BarFileOutput::kBuffer);
  RunOptions o;
  MinuteLineReader reader(o, "");
  const std::size_t cut = old.find("2005/01/02");
  for (const bool overwrite : {false, true})
    for (const std::size_t length : {BarFileOutput::kBuffer + 77, old.size() - cut + 5000}) {
      WriteFile(path, old);
      BarFileOutput out(path, kTail);
      out.StartTail(reader, EncodeDate(2005, 1, 2).DayNumber(), {true, overwrite});
      std::string added;
      for (int i = 0; added.size() < length; ++i) {
        const std::string line = "2005/01/02,09:00:00,1.2,1.3,1.1,1." + std::to_string(i) + "\r\n";
        out.Put(2005, line);
        added += line;
      }
      EXPECT_FALSE(out.Finish());
      EXPECT_EQ(ReadFile(path), old.substr(0, cut) + added) << overwrite << " " << length;
    }
}

TEST(BarFileOutput, TellsNoLastDayForWhatCannotBeReadBack) {
  TempDir dir;
  RunOptions o;
  MinuteLineReader reader(o, "");
  const std::string path = dir / "1day_2005.txt";
  EXPECT_FALSE(BarFileOutput(path, kTail).LastDay(reader));  // missing
  const std::string bar = "2005/01/03,00:00:00,1.2,1.3,1.1,1.2\r\n";
  for (const std::string& text :
       {std::string(), bar + "2005/01/04,00:00", bar + "2005-01-04,00:00:00,1,1,1,1\r\n",
        std::string(kTail, '1') + "\r\n"}) {
    WriteFile(path, bar + text);
    EXPECT_EQ(BarFileOutput(path, kTail).LastDay(reader).has_value(), text.empty()) << text.substr(0, 40);
  }
  WriteFile(path, bar);  // one line, no line before it
  EXPECT_EQ(BarFileOutput(path, kTail).LastDay(reader), EncodeDate(2005, 1, 3).DayNumber());
}

TEST(BarFileOutput, AWholeFileWaitsBesideItsPlaceAndOneWithoutBarsIsNotMade) {
  TempDir dir;
  const std::string path = dir / "1hour_2005.txt";
  WriteFile(path, "old\r\n");
  BarFileOutput whole(path, kTail);
  whole.StartWhole();
  std::string bars;
  for (int i = 0; bars.size() < 2 * BarFileOutput::kBuffer + 1000; ++i) {  // more than the buffer holds
    const std::string line = "2005/01/03,00:00:00,1.2,1.3,1.1,1." + std::to_string(i) + "\r\n";
    whole.Put(2005, line);
    bars += line;
  }
  EXPECT_TRUE(whole.Finish());
  EXPECT_EQ(ReadFile(path), "old\r\n");
  EXPECT_EQ(ReadFile(path + ".tmp"), bars);

  BarFileOutput none(path, kTail);
  none.StartWhole();
  EXPECT_FALSE(none.Finish());
  EXPECT_FALSE(FileExists(path));

  WriteFile(path, "old\r\n");
  BarFileOutput failed(path, kTail);
  failed.StartWhole();
  failed.Put(2005, std::string(BarFileOutput::kBuffer, 'x'));
  failed.Abandon();
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

}  // namespace
}  // namespace arl::test
