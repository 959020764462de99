// The end-to-end benchmark times each run from a state it prepared: these helpers must bring that
// state back exactly, or a run would measure less work (a day file left behind is never fetched).
#include <gtest/gtest.h>

#include "bench/bench_files.h"
#include "bench/child_process.h"
#include "tests/common/temp_dir.h"

namespace arl::benchutil {
namespace {

TEST(RunState, DirectoryBackToWhatItHeld) {
  test::TempDir dir;
  WriteFile(dir / "100104.txt", "day");
  WriteFile(dir / "complete.arlm", "");
  const DirState before(dir.path());
  WriteFile(dir / "100105.txt", "new day");  // what a run fetched
  fs::remove(dir / "complete.arlm");         // the marker a run took away
  before.Restore();
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{dir / "100104.txt", dir / "complete.arlm"}));
  EXPECT_EQ(ReadFile(dir / "100104.txt"), "day");

  fs::remove(dir / "100104.txt");  // content cannot be made up again
  EXPECT_EXIT(before.Restore(), testing::ExitedWithCode(2), "a run removed");
}

TEST(RunState, FilesCutBackToTheirRecordedSize) {
  test::TempDir dir;
  WriteFile(dir / "1min_2005.txt", "line 1\r\n");
  const SizeRecord before({dir / "1min_2005.txt"});
  EXPECT_TRUE(before.Unchanged());
  WriteFile(dir / "1min_2005.txt", "line 2\r\n", true);
  EXPECT_FALSE(before.Unchanged());
  before.CutBack();
  EXPECT_EQ(ReadFile(dir / "1min_2005.txt"), "line 1\r\n");
}

TEST(RunState, OtherYearChangesOnlyTheDate) {
  EXPECT_EQ(WithYear("2010/01/04,00:00:00,1.2010,1.2010\r\n2010/01/04,00:01:00,1.3,1.3", "2010", "1990"),
            "1990/01/04,00:00:00,1.2010,1.2010\r\n1990/01/04,00:01:00,1.3,1.3");
}

TEST(RunState, ChildProcessStatusOutputAndMissingProgram) {
  test::TempDir dir;
  const ProcessResult r = RunProcess({"sh", "-c", "echo out; echo err >&2; exit 3"}, dir / "out");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(ReadFile(dir / "out"), "out\nerr\n");
  EXPECT_GT(r.peakKb, 0);
  EXPECT_EQ(RunProcess({dir / "no-such-program"}, dir / "out").exitCode, 127);
}

// A small whole benchmark: every state it prepares holds (status 2 when not), and every figure is there.
TEST(CliRunsBench, SmallRunMeasuresEveryFigure) {
  test::TempDir dir;
  const ProcessResult r = RunProcess({test::BinDir() + "bench_cli_runs", "4", "2", "1"}, dir / "out");
  const std::string out = ReadFile(dir / "out");
  ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1) << out;
  const std::string summary = out.substr(out.find("summary"));
  for (const char* figure :
       {"(1) ", "(2) ", "(3) ", "(4) daily run", "(4) daily merge", "(5) ", "(6) ", "(7) ", "(8) "})
    EXPECT_NE(summary.find(figure), std::string::npos) << figure << "\n" << out;
}

}  // namespace
}  // namespace arl::benchutil
