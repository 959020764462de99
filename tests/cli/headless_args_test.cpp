// The headless command line.
#include <gtest/gtest.h>

#include <vector>

#include "cli/headless.h"

namespace arl::test {
namespace {

HeadlessArgs Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "autorateloom-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return ParseHeadlessArgs(static_cast<int>(args.size()), argv.data());
}

TEST(HeadlessArgs, AcceptedForms) {
  EXPECT_EQ(Parse({}).home, "");
  EXPECT_EQ(Parse({"--home", "/srv/fx"}).home, "/srv/fx");
  EXPECT_EQ(Parse({"--home=/srv/fx"}).home, "/srv/fx");
  // The window program hands its own command line on when it has no display.
  HeadlessArgs a = Parse({"auto", "--home", "d"});
  EXPECT_TRUE(a.error.empty());
  EXPECT_EQ(a.home, "d");
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(HeadlessArgs, ReportOptions) {
  HeadlessArgs a = Parse({"--report", "--format", "csv", "--ticker=USDJPY", "--site"});
  EXPECT_TRUE(a.error.empty()) << a.error;
  EXPECT_TRUE(a.report.wanted && a.report.site);
  EXPECT_EQ(a.report.format, ReportFormat::Csv);
  EXPECT_EQ(a.report.ticker, "USDJPY");
  EXPECT_EQ(Parse({"--format=json", "--report"}).report.format, ReportFormat::Json);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--report", "--format"},
                                       {"--report", "--format", "xml"},
                                       {"--report", "--ticker", "../x"},
                                       {"--report", "--ticker"},
                                       {"--site"},
                                       {"--report", "--init"}})
    EXPECT_FALSE(Parse(bad).error.empty()) << bad.back();
}

TEST(HeadlessArgs, Rejected) {
  EXPECT_FALSE(Parse({"--home"}).error.empty());
  EXPECT_FALSE(Parse({"--home", ""}).error.empty());
  EXPECT_FALSE(Parse({"--home="}).error.empty());
  EXPECT_FALSE(Parse({"--home", "d", "auto"}).error.empty()) << "auto only as the first argument";
  EXPECT_FALSE(Parse({"AUTO"}).error.empty());
  EXPECT_FALSE(Parse({"--bogus"}).error.empty());
}

}  // namespace
}  // namespace arl::test
