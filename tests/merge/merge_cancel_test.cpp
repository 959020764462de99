// Cancelling a merge: before it, during the scan and during the copy. A cancelled merge leaves whole
// lines only, and the next run carries on from them.
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

class MergeCancelTest : public MergeTest {
 protected:
  bool EndsInWholeLine(const std::string& text) const { return text.empty() || text.ends_with("\r\n"); }
};

TEST_F(MergeCancelTest, CancelBeforeTheMergeWritesNothing) {
  WriteYears(2008, 2009);
  s.cancel.Cancel();
  MergeAll(s);
  EXPECT_EQ(Log(), "全ての年を結合するMerge.txtを作成します\n");
  EXPECT_FALSE(FileExists(MergePath("EURUSD")));
}

TEST_F(MergeCancelTest, CancelDuringTheAppendLeavesWholeLinesAndTheNextRunContinues) {
  YearShape shape;
  shape.days = 4;
  shape.perDay = 300;
  const std::string all = WriteYears(2008, 2010, shape);
  WriteFile(MergePath("EURUSD"), FirstLines(all, 100));
  CopyTuning tuning;
  tuning.blockBytes = 4096;
  // Cancelled once three blocks have been appended.
  const std::size_t before = FirstLines(all, 100).size();
  OnEveryCheck(s, [&](int) {
    if (FileSizeByName(MergePath("EURUSD")) >= static_cast<std::int64_t>(before + 3 * 4096))
      s.cancel.Cancel();
  });
  MergeAll(s, tuning);
  const std::string cut = Merge();
  EXPECT_GT(cut.size(), FirstLines(all, 100).size());
  EXPECT_LT(cut.size(), all.size());
  EXPECT_TRUE(EndsInWholeLine(cut));
  EXPECT_EQ(all.compare(0, cut.size(), cut), 0);
  EXPECT_FALSE(Completed());
  EXPECT_FALSE(FileExists(MergePath("USDJPY")));

  s.cancel.onCheck = nullptr;
  s.cancel.Reset();
  host.logged.clear();
  MergeAll(s, tuning);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD\n" + LineBefore(cut, cut.size()) + "以降の行を追記します"), 1);
  EXPECT_TRUE(Completed());
}

TEST_F(MergeCancelTest, CancelDuringARebuildLeavesWholeLinesAndTheNextRunContinues) {
  YearShape shape;
  shape.days = 2;
  shape.perDay = 500;
  const std::string all = WriteYears(2008, 2009, shape);
  CopyTuning tuning;
  tuning.blockBytes = 1000;
  CancelAtCheck(s, 4);
  MergeAll(s, tuning);
  const std::string cut = Merge();
  EXPECT_FALSE(cut.empty());
  EXPECT_TRUE(EndsInWholeLine(cut));
  EXPECT_EQ(all.compare(0, cut.size(), cut), 0);
  EXPECT_EQ(Count("EURUSDのMerge.txtの作成OK"), 0);
  EXPECT_FALSE(Completed());

  s.cancel.onCheck = nullptr;
  s.cancel.Reset();
  MergeAll(s, tuning);
  EXPECT_EQ(Merge(), all);
  EXPECT_TRUE(Completed());
}

// A cancel during the scan for the last merged line leaves the file untouched.
TEST_F(MergeCancelTest, CancelDuringTheScanLeavesTheMergeFileUntouched) {
  YearShape shape;
  shape.days = 2;
  shape.perDay = 1000;
  const std::string all = WriteYears(2008, 2008, shape);
  const std::string head = FirstLines(all, 1500);
  WriteFile(MergePath("EURUSD"), head);
  CopyTuning tuning;
  auto t = std::chrono::steady_clock::time_point{};
  tuning.clock = [&t] { return t += std::chrono::milliseconds(10); };
  CancelAtCheck(s, 3);
  MergeAll(s, tuning);
  EXPECT_EQ(Merge(), head);
  EXPECT_EQ(Count("以降の行を追記します"), 0);
  EXPECT_FALSE(Completed());
}

}  // namespace
}  // namespace arl::test
