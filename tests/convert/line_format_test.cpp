// Conversion of single lines: the layout options, the time shift across midnight and the new year,
// and lines that do not convert.
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

class LineFormatTest : public ConvertTest {};

TEST_F(LineFormatTest, WorkedExamplesWithDefaultAndOtherOptions) {
  WriteDay("050103.txt", "<TICKER>,<DATE>\r\n" + Q("EURUSD", "20050103", "000100"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"), "2005/01/02,18:01:00,1.3559,1.3561,1.3557,1.3560\r\n");
  EXPECT_EQ(Year("USDJPY"), "<none>");  // no lines: no file, but its folders exist
  EXPECT_TRUE(DirectoryExists(s().paths.DataDir + "USDJPY/1min/"));
}

TEST_F(LineFormatTest, TickerKeptDashSeparatorShortTimeAndNoSubfolder) {
  s().optionValues.RadioGroup1 = 0;
  s().optionValues.RadioGroup3 = 0;
  s().optionValues.EditFileHeadName = "h_";
  s().formats.DateSeparator = '-';
  s().formats.LongTimeFormat = "hh:nn";
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(ReadFile(s().paths.DataDir + "EURUSD/h_2005.txt"),
            "EURUSD,2005-01-02,18:01,1.3559,1.3561,1.3557,1.3560\r\n");
}

TEST_F(LineFormatTest, ShiftRollsOverMidnightAndNewYearWithoutLeavingTheDayFilesYear) {
  WriteDay("050103.txt", Q("EURUSD", "20050103", "030000") + Q("EURUSD", "20050103", "233000"));
  WriteDay("050101.txt", Q("EURUSD", "20050101", "010000"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"),
            "2004/12/31,19:00:00,1.3559,1.3561,1.3557,1.3560\r\n"
            "2005/01/02,21:00:00,1.3559,1.3561,1.3557,1.3560\r\n"
            "2005/01/03,17:30:00,1.3559,1.3561,1.3557,1.3560\r\n");

  s().optionValues.EditGmtGap = "+1";
  WriteDay("051231.txt", Q("EURUSD", "20051231", "233000"), "2006");
  ASSERT_TRUE(UpdateAll("2006"));
  EXPECT_EQ(Year("EURUSD", "2006"), "2006/01/01,00:30:00,1.3559,1.3561,1.3557,1.3560\r\n");
}

TEST_F(LineFormatTest, ShiftThatIsNotANumberRaisesBeforeAnythingIsWritten) {
  s().optionValues.EditGmtGap = "x";
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100"));
  EXPECT_THROW(UpdateAll(), EOptionError);
  EXPECT_FALSE(DirectoryExists(s().paths.DataDir + "EURUSD/"));
}

TEST_F(LineFormatTest, MalformedLinesFailTheCallAndLeaveEveryFileAsItWas) {
  WriteDay("050103.txt",
           Q("EURUSD", "20050103", "000100") + Q("USDJPY", "20050103", "000100", "104.1,104.2,104.0,104.1"));
  ASSERT_TRUE(UpdateAll());
  const std::string eur = Year("EURUSD"), jpy = Year("USDJPY");
  const std::vector<std::string> bad = {
      "USDJPY,20050104,000100,1,2,3\r\n",    // six fields
      "USDJPY,20051304,000100,1,2,3,4\r\n",  // no such month
      "USDJPY,20050104,0001xx,1,2,3,4\r\n",  // time
      "junk USDJPY\r\n",                     // the ticker inside some other text
  };
  for (const std::string& line : bad) {
    WriteDay("050104.txt", Q("EURUSD", "20050104", "000100") + line);
    const std::size_t logged = Logged().size();
    EXPECT_FALSE(Update({"050104.txt"})) << line;
    EXPECT_EQ(Year("EURUSD"), eur) << line;
    EXPECT_EQ(Year("USDJPY"), jpy) << line;
    ASSERT_EQ(Logged().size(), logged + 1) << "only the error's line on failure: " << line;
    EXPECT_TRUE(Logged().back().starts_with("2005年の変換中にエラーが発生しました (")) << Logged().back();
    EXPECT_FALSE(FileExists(YearPath("EURUSD") + ".part"));
  }
}

TEST_F(LineFormatTest, SubstringTickersQuotedFieldsAndOddLineEnds) {
  SetCurrencies("USD\r\nEURUSD\r\n");
  // LF and lone CR line ends, a quoted price, blanks around fields, and a heading that holds no ticker.
  WriteDay("050103.txt",
           "Ticker,Date\n"
           "EURUSD,20050103,000100,1.1,1.2,1.0,1.1\r"
           "USDJPY,20050103,000200,\"104,5\",104.6,104.4,104.5\r\n"
           "  EURUSD , 20050103,000300,1.1,1.2,1.0,1.1,extra\n");
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("USD"),
            "2005/01/02,18:01:00,1.1,1.2,1.0,1.1\r\n"
            "2005/01/02,18:02:00,104,5,104.6,104.4,104.5\r\n"
            "2005/01/02,18:03:00,1.1,1.2,1.0,1.1\r\n");
  EXPECT_EQ(Year("EURUSD"),
            "2005/01/02,18:01:00,1.1,1.2,1.0,1.1\r\n"
            "2005/01/02,18:03:00,1.1,1.2,1.0,1.1\r\n");
}

}  // namespace
}  // namespace arl::test
