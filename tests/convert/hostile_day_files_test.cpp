// Day files that are damaged or hostile: each call ends in a clear outcome (the conversion the line
// rules give, or false), never crashes or hangs, and a failed call leaves every file below the data
// directory exactly as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

namespace fsys = std::filesystem;

class HostileDayFileTest : public ConvertTest {
 protected:
  // Every file below the data directory with its content.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    for (const auto& e : fsys::recursive_directory_iterator(s().paths.DataDir))
      files[e.path().string()] = e.is_regular_file() ? ReadFile(e.path().string()) : "<dir>";
    return files;
  }
  // A first good day, converted, so that a failure has something to leave intact.
  void GoodFirstDay() {
    WriteDay("050103.txt", Q("EURUSD", "20050103", "000100") +
                               Q("USDJPY", "20050103", "000100", "104.1,104.2,104.0,104.1"));
    ASSERT_TRUE(Update({"050103.txt"}));
  }
  // Offers the hostile day after the good one and expects the call to fail without a trace.
  void ExpectFailsCleanly(const std::string& name) {
    const auto before = Snapshot();
    Logged().clear();
    EXPECT_FALSE(Update({"050103.txt", name}));
    EXPECT_EQ(Snapshot(), before);
    ASSERT_EQ(Logged().size(), 1u) << "only the error's line";
    EXPECT_TRUE(Logged()[0].starts_with("2005年の変換中にエラーが発生しました (")) << Logged()[0];
  }
};

TEST_F(HostileDayFileTest, DamagedLinesOfATickerFailTheCallAndLeaveEveryFileAsItWas) {
  GoodFirstDay();
  const std::string later = Q("EURUSD", "20050104", "000100");
  WriteDay("few.txt", later + "EURUSD,20050104,000200,1.1,1.2\r\n");
  ExpectFailsCleanly("few.txt");
  WriteDay("date.txt", later + Q("EURUSD", "2005AB04", "000200"));
  ExpectFailsCleanly("date.txt");
  WriteDay("time.txt", later + Q("EURUSD", "20050104", "00xx00"));
  ExpectFailsCleanly("time.txt");
  WriteDay("hour.txt", later + Q("EURUSD", "20050104", "250000"));
  ExpectFailsCleanly("hour.txt");
  // A damaged line of no listed ticker is not looked at.
  WriteDay("other.txt", later + "GBPUSD,2005xx04,0\r\n");
  EXPECT_TRUE(Update({"050103.txt", "other.txt"}));
}

TEST_F(HostileDayFileTest, DayFilesThatCannotBeReadFailCleanly) {
  GoodFirstDay();
  ExpectFailsCleanly("missing.txt");
  MakeDirs(YearDir() + "folder.txt");
  ExpectFailsCleanly("folder.txt");
  ASSERT_EQ(::symlink("nowhere.txt", (YearDir() + "dangling.txt").c_str()), 0);
  ExpectFailsCleanly("dangling.txt");
  // A pipe nobody writes to, and a device without end: refused at once instead of waited on.
  ASSERT_EQ(::mkfifo((YearDir() + "pipe.txt").c_str(), 0644), 0);
  ExpectFailsCleanly("pipe.txt");
  ASSERT_EQ(::symlink("/dev/zero", (YearDir() + "zero.txt").c_str()), 0);
  ExpectFailsCleanly("zero.txt");
  if (::geteuid() != 0) {  // root reads whatever the mode says
    WriteDay("locked.txt", Q("EURUSD", "20050104", "000100"));
    ::chmod((YearDir() + "locked.txt").c_str(), 0);
    ExpectFailsCleanly("locked.txt");
  }
}

TEST_F(HostileDayFileTest, OddLineEndsAndAnEmptyFileConvertAsTheRulesSay) {
  // CR alone, LF alone, and a last line without an end all end lines.
  WriteDay("050103.txt",
           "EURUSD,20050103,000100,1,2,3,4\rEURUSD,20050103,000200,5,6,7,8\nEURUSD,20050103,000300,9,9,9,9");
  WriteDay("050104.txt", "");
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"),
            "2005/01/02,18:01:00,1,2,3,4\r\n2005/01/02,18:02:00,5,6,7,8\r\n2005/01/02,18:03:00,9,9,9,9\r\n");
  EXPECT_EQ(Year("USDJPY"), "<none>");
  // An empty file alone changes nothing.
  const auto before = Snapshot();
  EXPECT_TRUE(Update({"050104.txt"}));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(HostileDayFileTest, TickerInThePriceFieldsPutsTheLineIntoBothYearFiles) {
  WriteDay("050103.txt",
           "EURUSD,20050103,000100,1,USDJPY,3,4\r\n" + Q("USDJPY", "20050103", "000200", "5,6,7,8"));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(Year("EURUSD"), "2005/01/02,18:01:00,1,USDJPY,3,4\r\n");
  EXPECT_EQ(Year("USDJPY"), "2005/01/02,18:01:00,1,USDJPY,3,4\r\n2005/01/02,18:02:00,5,6,7,8\r\n");
}

TEST_F(HostileDayFileTest, NulBytesEndAPieceAndNeitherCrashNorLeakIntoOtherLines) {
  // A NUL inside a price: the line still has seven fields, whatever the piece holds.
  WriteDay("050103.txt", std::string("EURUSD,20050103,000100,1.1\0x,2,3,4\r\n", 37) +
                             Q("EURUSD", "20050103", "000200", "5,6,7,8") + std::string("\0\0\0\r\n", 5));
  const bool ok = UpdateAll();
  const std::string year = Year("EURUSD");
  if (ok) {
    EXPECT_EQ(year.substr(year.find("2005/01/02,18:02")), "2005/01/02,18:02:00,5,6,7,8\r\n");
    EXPECT_EQ(year.rfind("2005/01/02,18:01:00,", 0), 0u);
  } else {
    EXPECT_EQ(year, "<none>");
  }
}

TEST_F(HostileDayFileTest, LinesOfMegabytesAreConvertedOrSkippedWithoutStalling) {
  const std::string digits(3 << 20, '7');
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100", digits + ",2,3,4") +  // a ticker's line
                             std::string(3 << 20, 'x') + "\r\n" +                // junk of no ticker
                             "EURUSD,20050103,000200," + std::string(2 << 20, ',') + "\r\n" +  // many fields
                             Q("EURUSD", "20050103", "000300"));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(UpdateAll());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(Year("EURUSD"), "2005/01/02,18:01:00," + digits + ",2,3,4\r\n2005/01/02,18:02:00,,,,\r\n" +
                                "2005/01/02,18:03:00,1.3559,1.3561,1.3557,1.3560\r\n");
}

}  // namespace
}  // namespace arl::test
