#include "support/regexp.h"

#include <gtest/gtest.h>

#include <string>

namespace arl {
namespace {

// Runs `call` and returns the EBRegExpError message it raised ("" when it raised nothing).
template <typename Call>
std::string RaisedMessage(Call call) {
  try {
    call();
  } catch (const EBRegExpError& e) {
    return e.what();
  }
  return "";
}

TEST(RegExpTest, PicksYearsAndArchiveNamesOutOfNamesAndLinks) {
  TBRegExp re;
  EXPECT_TRUE(re.Match("m#\\d{4}#", "1min_2009.txt"));
  EXPECT_EQ(re.MatchedText(0), "2009");
  EXPECT_FALSE(re.Match("m#\\d{4}#", "1min_Merge.txt"));

  const std::string link = "http://host/free_forex_quotes/2009/030109.zip";
  ASSERT_TRUE(re.Match("m#\\d{6}\\.zip#", link));
  EXPECT_EQ(re.MatchedText(0), "030109.zip");
  ASSERT_TRUE(re.Match("m#/\\d{4}/#", link));
  EXPECT_EQ(re.MatchedText(0), "/2009/");
  // Leftmost: the first run of four digits wins.
  ASSERT_TRUE(re.Match("m#\\d{4}#", "a1234b5678"));
  EXPECT_EQ(re.MatchedText(0), "1234");
}

TEST(RegExpTest, NoMatchOrEmptyTargetLeavesNothingToRead) {
  TBRegExp re;
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(0); }), "no strings now");
  ASSERT_TRUE(re.Match("m#\\d{4}#", "2009"));
  EXPECT_FALSE(re.Match("m#\\d{4}#", ""));
  EXPECT_EQ(re.State(), TBRegExp::MatchState::None);
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(0); }), "no strings now");
  // An empty target can still match a pattern that accepts nothing.
  EXPECT_TRUE(re.Match("m#^$#", ""));
  EXPECT_EQ(re.MatchedText(0), "");
}

TEST(RegExpTest, CompilesOnlyWhenThePatternTextChanges) {
  TBRegExp re;
  re.Match("m#\\d{4}#", "2009");
  re.Match("m#\\d{4}#", "2010");
  EXPECT_EQ(re.CompileCount(), 1u);
  re.Match("m#/\\d{4}/#", "/2009/");
  re.Match("m#\\d{4}#", "2009");
  EXPECT_EQ(re.CompileCount(), 3u);
  EXPECT_EQ(re.MatchedText(0), "2009");
}

TEST(RegExpTest, GroupIndexesAreChecked) {
  TBRegExp re;
  ASSERT_TRUE(re.Match("m#\\d{4}#", "1min_2009.txt"));
  EXPECT_EQ(re.GroupCount(), 1);
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(1); }), "index out of range");
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(-1); }), "index out of range");

  ASSERT_TRUE(re.Match("m#(\\d{2})(\\d{2})(x)?#", "day 030109"));
  EXPECT_EQ(re.GroupCount(), 4);
  EXPECT_EQ(re.MatchedText(1), "03");
  EXPECT_EQ(re.MatchedText(2), "01");
  EXPECT_EQ(re.MatchedText(3), "");  // a group that took no part
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(4); }), "index out of range");
}

TEST(RegExpTest, MatchedTextOutlivesTheTarget) {
  TBRegExp re;
  {
    std::string target(100, 'x');
    target += "030109.zip";
    ASSERT_TRUE(re.Match("m#\\d{6}\\.zip#", target));
    target.assign(200, '?');
  }
  EXPECT_EQ(re.MatchedText(0), "030109.zip");
}

TEST(RegExpTest, RejectedPatternsRaiseAndLeaveNoMatch) {
  TBRegExp re;
  ASSERT_TRUE(re.Match("m#\\d{4}#", "2009"));
  const std::string engine = RaisedMessage([&] { re.Match("m#(\\d#", "2009"); });
  EXPECT_NE(engine.find("parenthesis"), std::string::npos) << engine;
  EXPECT_LE(engine.size(), 79u);
  EXPECT_EQ(RaisedMessage([&] { re.MatchedText(0); }), "no strings now");
  // The failed pattern is not cached: a good one compiles and matches afterwards.
  EXPECT_TRUE(re.Match("m#\\d{4}#", "2009"));

  for (const char* malformed : {"#\\d{4}#", "m", "m#\\d{4}", "m#\\d{4}#q", "ma\\d{4}a", ""}) {
    EXPECT_NE(RaisedMessage([&] { re.Match(malformed, "2009"); }), "") << malformed;
    EXPECT_EQ(re.State(), TBRegExp::MatchState::None) << malformed;
  }
}

TEST(RegExpTest, CommandSyntaxDelimitersAndFlags) {
  TBRegExp re;
  EXPECT_TRUE(re.Match("m/\\.zip/", "a.zip"));
  EXPECT_FALSE(re.Match("m/\\.zip/", "a_zip"));
  EXPECT_TRUE(re.Match("m#a\\#b#", "xa#b"));  // an escaped delimiter is part of the pattern
  EXPECT_FALSE(re.Match("m#zip#", "ZIP"));
  EXPECT_TRUE(re.Match("m#zip#i", "ZIP"));
  EXPECT_TRUE(re.Match("m#^b#mg", "a\nb"));
  EXPECT_TRUE(re.Match("m# z i p #x", "zip"));
}

TEST(RegExpTest, SharedInstanceIsOneObject) { EXPECT_EQ(&RegExpInstance(), &RegExpInstance()); }

}  // namespace
}  // namespace arl
