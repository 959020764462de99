// Writing a merge file afresh, and the block copy that both operations use.
#include "merge/merge_run.h"
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

class MergeRebuildTest : public MergeTest {};

TEST_F(MergeRebuildTest, MissingOrEmptyFirstLineMergeFileIsWrittenAfresh) {
  const std::string all = WriteYears(2007, 2009);
  WriteFile(MergePath("USDJPY"), "\r\nwhatever follows\r\n");
  MergeAll(s);
  EXPECT_EQ(Merge("EURUSD"), all);
  EXPECT_EQ(Merge("USDJPY"), YearText("USDJPY", 2007) + YearText("USDJPY", 2008) + YearText("USDJPY", 2009));
  EXPECT_EQ(Log(),
            "全ての年を結合するMerge.txtを作成します\n"
            "EURUSD のMerge.txtを新規に作成します\nEURUSDのMerge.txtの作成OK\n"
            "USDJPY のMerge.txtを新規に作成します\nUSDJPYのMerge.txtの作成OK\n"
            "全てのMerge.txtの作成完了\n");
  EXPECT_EQ(host.statuses.front(), "マージファイルを作成しています");
  EXPECT_EQ(s.LatestYear, "2009");
}

TEST_F(MergeRebuildTest, EmptyFirstLineYearFileIsLeftOutAndCopiesCountInNameOrder) {
  WriteFile(YearPath("EURUSD", 2007), YearText("EURUSD", 2007));
  WriteFile(YearPath("EURUSD", 2008), "\r\n" + YearText("EURUSD", 2008));
  WriteFile(Dir("EURUSD") + "1min_2007 copy.txt", "copied line\r\n");
  WriteFile(Dir("EURUSD") + "1min_2009.TXT", "not a text file by its extension\r\n");
  RebuildMerge(s, "EURUSD");
  EXPECT_EQ(Merge(), "copied line\r\n" + YearText("EURUSD", 2007));
  EXPECT_EQ(Log(), "EURUSD のMerge.txtを新規に作成します\nEURUSDのMerge.txtの作成OK\n");
  EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(),
                      "最終マージファイル作成 : EURUSD 2008 を処理中..."),
            host.statuses.end());
}

// The copy rewrites every line end to CR LF, also where a line end falls across two blocks, and
// closes a last line that has none.
TEST_F(MergeRebuildTest, EveryLineEndsInCrLfWhateverTheBlockSize) {
  const std::string mixed = "a1\r\nb22\nc333\rd4444\r\r\ne5\n\nf66\r\n\r\ng777";
  const std::string expected = "a1\r\nb22\r\nc333\r\nd4444\r\n\r\ne5\r\n\r\nf66\r\n\r\ng777\r\n";
  const std::string clean = YearText("EURUSD", 2008);
  for (std::size_t block : {2u, 3u, 5u, 7u, 64u, 1u << 20}) {
    SCOPED_TRACE(block);
    WriteFile(YearPath("EURUSD", 2007), mixed);
    WriteFile(YearPath("EURUSD", 2008), clean);
    CopyTuning tuning;
    tuning.blockBytes = block;
    RebuildMerge(s, "EURUSD", tuning);
    EXPECT_EQ(Merge(), expected + clean);
  }
}

// A copy may start between a CR and its LF; that LF ends the line before and is no line of its own.
TEST_F(MergeRebuildTest, CopyStartingInsideCrLfSkipsItsLf) {
  const std::string source = s.paths.AppDir + "source.txt", target = s.paths.AppDir + "target.txt";
  WriteFile(source, "a1\r\nb2\r\n");
  WriteFile(target, "");
  MergeRun run(s, CopyTuning{});
  MergeWriter out(target, MergeWriter::Mode::Append);
  ASSERT_TRUE(run.Copy(source, 3, out));
  out.Close();
  EXPECT_EQ(ReadFile(target), "b2\r\n");
}

// A fresh merge file appears under its name only when it is complete: one dropped on the way (an
// error) leaves the old file and no temporary file.
TEST_F(MergeRebuildTest, AFreshMergeFileReplacesTheOldOneOnlyWhenClosed) {
  const std::string target = s.paths.AppDir + "merge.txt";
  WriteFile(target, "old\r\n");
  {
    MergeWriter out(target, MergeWriter::Mode::Create);
    out.Write("new\r\n", 5);
    EXPECT_EQ(ReadFile(target), "old\r\n");
  }
  EXPECT_EQ(ReadFile(target), "old\r\n");
  EXPECT_FALSE(FileExists(target + ".tmp"));
  MergeWriter out(target, MergeWriter::Mode::Create);
  out.Write("new\r\n", 5);
  out.Close();
  EXPECT_EQ(ReadFile(target), "new\r\n");
  EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST_F(MergeRebuildTest, StatusShowsTheLastWholeLineWritten) {
  const std::string all = WriteYears(2008, 2008);
  CopyTuning tuning;
  tuning.blockBytes = 100;
  auto t = std::chrono::steady_clock::time_point{};
  tuning.clock = [&t] { return t += std::chrono::milliseconds(30); };  // progress due every other block
  RebuildMerge(s, "EURUSD", tuning);
  EXPECT_EQ(Merge(), all);
  const std::string lastLine = LineBefore(all, all.size());
  EXPECT_EQ(host.statuses.back(), "最終マージファイル作成 : EURUSD " + lastLine + " を追記中...");
  const std::string prefix = "最終マージファイル作成 : EURUSD ", suffix = " を追記中...";
  int shown = 0;
  for (const auto& status : host.statuses) {
    if (!status.ends_with(suffix)) continue;
    ++shown;
    const std::string line = status.substr(prefix.size(), status.size() - prefix.size() - suffix.size());
    EXPECT_NE(all.find("\n" + line + "\r\n"), std::string::npos) << status;  // a whole line
  }
  EXPECT_GE(shown, 10);
}

// A copy that starts between a CR and its LF must not turn that LF into an empty line.
TEST_F(MergeRebuildTest, AppendAfterALineEndedByCrAlone) {
  WriteFile(YearPath("EURUSD", 2008),
            "2008/01/02,00:00:00,1\r2008/01/02,00:01:00,2\r\n2008/01/02,00:02:00,3\r\n");
  WriteFile(YearPath("USDJPY", 2008), YearText("USDJPY", 2008));
  WriteFile(MergePath("EURUSD"), "2008/01/02,00:00:00,1\r\n");
  MergeAll(s);
  EXPECT_EQ(Merge(), "2008/01/02,00:00:00,1\r\n2008/01/02,00:01:00,2\r\n2008/01/02,00:02:00,3\r\n");
}

}  // namespace
}  // namespace arl::test
