// The headless front end as a process against a loopback site, where its exit status matters.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/fake_host.h"
#include "tests/run/cli_run.h"

namespace arl::test {
namespace {

TEST(E2eCli, AFirstSyncWithTheMergeEndsWithStatusZeroAndEveryFileInPlace) {
  ServedSite served(SmallSite());
  TempDir home;
  PrepareCliHome(home.path(), served, true);
  const CliOutcome o = RunCli(home.path());
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), ReadOutputs(home.path())), "");
  EXPECT_TRUE(WithoutSummary(o.log).ends_with("全てのMerge.txtの作成完了\r\n処理完了\r\n")) << o.log;
  EXPECT_NE(o.log.find("\r\n失敗 : なし\r\n処理完了\r\n"), std::string::npos) << o.log;
}

TEST(E2eCli, AnUnreachableIndexPageEndsWithStatusOneAfterTheClosingSteps) {
  ServedSite served(SmallSite());
  served.server.SetFault(tools::FakeSite::kIndexPath, tools::Fault::Of(tools::FaultKind::NotFound));
  TempDir home;
  PrepareCliHome(home.path(), served, true);
  const CliOutcome o = RunCli(home.path());
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("インデックスページ " + served.IndexUrl() + " を読み込めませんでした (HTTP 404)"),
            std::string::npos)
      << o.err;
  EXPECT_NE(o.log.find("処理完了\r\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(home / "OriginalArchive"));
}

}  // namespace
}  // namespace arl::test
