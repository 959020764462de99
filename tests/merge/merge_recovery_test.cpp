// Merge files left by a killed process, last lines longer than the first, and a long random
// history of runs whose merges must always equal the year files joined.
#include <random>

#include "merge/last_line.h"
#include "merge/merge_writer.h"
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

class MergeRecoveryTest : public MergeTest {};

TEST_F(MergeRecoveryTest, TornLastLineIsCutAndTheMergeContinues) {
  const std::string all = WriteYears(2008, 2009);
  const std::string whole = FirstLines(all, 33);
  for (const std::string& torn :
       {whole + "2008/01/03,00:", whole + "2008/01/03,00:13:00,1.3\r", whole + "\r"}) {
    WriteFile(MergePath("EURUSD"), torn);
    host.logged.clear();
    MergeAll(s);
    EXPECT_EQ(Merge(), all);
    EXPECT_EQ(Count("EURUSD\n" + LineBefore(whole, whole.size()) + "以降の行を追記します"), 1);
  }
}

TEST_F(MergeRecoveryTest, MergeFileOfOneTornLineIsRebuilt) {
  const std::string all = WriteYears(2008, 2009);
  WriteFile(MergePath("EURUSD"), "2008/01/02,00:0");
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD のMerge.txtを新規に作成します"), 1);
}

TEST_F(MergeRecoveryTest, CutTornTailLooksBackFurtherThanOneChunk) {
  const std::string path = s.paths.AppDir + "long.txt";
  const std::string longTail(200 * 1024, 'x');
  WriteFile(path, "first\r\n" + longTail);
  EXPECT_TRUE(CutTornTail(path));
  EXPECT_EQ(ReadFile(path), "first\r\n");
  EXPECT_FALSE(CutTornTail(path));
  WriteFile(path, "lf only\n");
  EXPECT_FALSE(CutTornTail(path));
  EXPECT_EQ(ReadFile(path), "lf only\n");
}

// A last line more than twice as long as the first would be read as its own tail.
TEST_F(MergeRecoveryTest, LastLineLongerThanTwoFirstLinesIsReadWhole) {
  const std::string path = s.paths.AppDir + "lines.txt";
  const std::string last = "2008/01/02,00:00:00," + std::string(300, '7');
  WriteFile(path, "a\r\nbb\r\nccc\r\n" + last + "\r\n");
  TextReader reader(path);
  std::string first;
  ASSERT_TRUE(reader.ReadLine(first));
  EXPECT_EQ(ReadLastLine(reader, first, FileSizeByName(path)), last);

  WriteFile(path, "only line\r\n");
  TextReader single(path);
  ASSERT_TRUE(single.ReadLine(first));
  EXPECT_EQ(ReadLastLine(single, first, FileSizeByName(path)), "only line");
}

// Runs over years whose newest file grows by a few days at a time (a new year now and then),
// merged incrementally, sometimes cancelled, sometimes killed mid-line: the merge file must end as
// the year files joined, exactly as a rebuild writes it.
TEST_F(MergeRecoveryTest, IncrementalMergesAlwaysEqualTheYearFilesJoined) {
  std::mt19937 random(20240607);
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  WriteFile(s.paths.AppDir + "CurrencyList.txt", "EURUSD\r\n");
  std::map<int, std::string> years;
  int newest = 2003, days = 0;
  YearShape shape;
  shape.perDay = 30;
  bool torn = false;  // the last run was killed mid-line
  for (int run = 0; run < 40; ++run) {
    SCOPED_TRACE(run);
    if (days > 8 && pick(0, 3) == 0) {
      ++newest;
      days = 0;
    }
    days += pick(0, 3);
    shape.days = days;
    years[newest] = YearText("EURUSD", newest, shape);
    if (years[newest].empty()) {
      years.erase(newest);
      DeleteFile(YearPath("EURUSD", newest));
    } else {
      WriteFile(YearPath("EURUSD", newest), years[newest]);
    }
    if (years.empty()) continue;

    CopyTuning tuning;
    tuning.blockBytes = static_cast<std::size_t>(pick(64, 4096));
    s.cancel.Reset();
    s.cancel.onCheck = nullptr;
    const int mode = pick(0, 4);
    if (mode == 0) CancelAtCheck(s, pick(1, 6));
    host.logged.clear();
    MergeAll(s, tuning);
    ASSERT_EQ(Count("失敗"), 0) << Log();

    std::string joined;
    for (const auto& [year, text] : years) joined += text;
    const std::string merged = Merge();
    if (mode == 0 && !Completed()) {
      ASSERT_EQ(joined.compare(0, merged.size(), merged), 0);
      // A cancel before the currency's turn leaves a torn line for the next run to cut.
      if (!torn) {
        ASSERT_TRUE(merged.empty() || merged.ends_with("\r\n"));
      }
    } else {
      ASSERT_EQ(merged, joined);
      torn = false;
    }
    if (mode == 1 && merged.size() > 10) {
      // Killed in the middle of a write: a torn line at the end.
      const std::size_t keep = merged.size() - static_cast<std::size_t>(pick(1, 9));
      std::filesystem::resize_file(MergePath("EURUSD"), keep);
      torn = true;
    }
  }
}

}  // namespace
}  // namespace arl::test
