// Day archives that are broken or hostile, fetched and extracted the way a pass does it: whatever
// the archive holds, a day file appears only from the expected entry, nothing is written outside the
// year folder, no stray file stays behind, and the day files already on disk are left as they were.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "acquire/archive_download.h"
#include "support/files.h"
#include "tests/acquire/day_archives.h"
#include "tests/acquire/hostile_zip.h"

namespace arl {
namespace {

using test::ZipItem;

class HostileArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two good days already on disk, and a folder beside the program's that must stay untouched.
    test::WriteFile(Year("110104.txt"), "day of 4 Jan\r\n");
    test::WriteFile(Year("110105.txt"), "day of 5 Jan\r\n");
    test::MakeDirs(outside);
    before = test::Snapshot(fs.session.paths.ArchiveDir);
  }
  void TearDown() override { ::unsetenv("ARL_EXTRACT_LIMIT"); }

  std::string Year(const std::string& name) const { return fs.session.paths.ArchiveDir + "2011/" + name; }
  // Serves `bytes` as 030111.zip and runs one pass over its link.
  void Fetch(const std::string& bytes) {
    const std::string link = test::DayLink("030111.zip", "2011");
    fs.downloader.files[link] = bytes;
    DownloadMissingArchives(fs.session, {link}, 5);
  }
  // The pass ended with the day missing and everything else as it was.
  void ExpectNothingChanged() {
    EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), before);
    EXPECT_EQ(test::Snapshot(outside).size(), 0u);
    EXPECT_EQ(test::CountLogged(fs.host, "030111.zip → 110103.txtへのリネーム 失敗"), 1);
  }

  test::FakeSession fs;
  std::string outside = fs.home.path() + "outside/";
  std::map<std::string, std::string> before;
};

TEST_F(HostileArchiveTest, BytesThatAreNoZipLeaveTheDayMissing) {
  const std::vector<std::string> notZips = {
      "",                                                                       // an empty answer
      "<html><body><h1>503 Service busy</h1></body></html>\r\n",                // an error page served as 200
      std::string("PK\x03\x04\x14\x00\x00\x00", 8) + std::string(300, '\xff'),  // a zip cut short
      std::string(4096, '\0'),
  };
  for (const std::string& bytes : notZips) {
    fs.host.logged.clear();
    Fetch(bytes);
    ExpectNothingChanged();
  }
}

TEST_F(HostileArchiveTest, EntriesAimedOutsideTheYearFolderAreRefused) {
  Fetch(test::HostileZip({
      {"../../../outside/up.txt", "escaped\r\n"},
      {outside + "absolute.txt", "escaped\r\n"},
      {"..\\..\\..\\outside\\back.txt", "escaped\r\n"},
      {"030111.txt", "", AE_IFLNK, "/etc/passwd"},  // the expected entry as a link
      {"deep", "", AE_IFLNK, outside},
      {"deep/through.txt", "escaped\r\n"},
  }));
  ExpectNothingChanged();
}

TEST_F(HostileArchiveTest, ALinkPlantedWhereTheArchiveIsUnpackedIsNotFollowed) {
  test::WriteFile(outside + "precious.txt", "keep me\r\n");
  std::filesystem::create_directory_symlink(outside, Year(".extract-030111.zip"));
  Fetch(test::HostileZip({{"030111.txt", "day of 3 Jan\r\n"}, {"precious.txt", "overwritten\r\n"}}));
  EXPECT_EQ(test::ReadFile(outside + "precious.txt"), "keep me\r\n");
  EXPECT_EQ(test::Snapshot(outside).size(), 1u);
  auto expected = before;
  expected["2011/110103.txt"] = "day of 3 Jan\r\n";
  EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), expected);
}

TEST_F(HostileArchiveTest, OnlyTheExpectedEntryBecomesADayFile) {
  // Entries that would land on another day's file or on the year marker must not change them.
  Fetch(test::HostileZip({
      {"110104.txt", "forged 4 Jan\r\n"},
      {"complete.arlm", ""},
      {"sub/110105.txt", "forged 5 Jan\r\n"},
      {"030111.txt", "day of 3 Jan\r\n"},
  }));
  auto expected = before;
  expected["2011/110103.txt"] = "day of 3 Jan\r\n";
  EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), expected);
  EXPECT_EQ(test::CountLogged(fs.host, "030111.zip → 110103.txtへのリネーム OK"), 1);
}

TEST_F(HostileArchiveTest, EmptyZipsAndZipsWithoutTheExpectedEntryLeaveTheDayMissing) {
  Fetch(test::HostileZip({}));
  ExpectNothingChanged();
  fs.host.logged.clear();
  Fetch(test::HostileZip({{"040111.txt", "the wrong day\r\n"}, {"030111.TXT", "wrong case\r\n"}}));
  ExpectNothingChanged();
}

TEST_F(HostileArchiveTest, AZipBombStopsAtTheLimitWithoutAPartialFile) {
  ::setenv("ARL_EXTRACT_LIMIT", "65536", 1);
  const std::string bomb = test::HostileZip({{"030111.txt", std::string(4 << 20, '0')}});
  ASSERT_LT(bomb.size(), 64u * 1024);  // small on the wire, large when extracted
  Fetch(bomb);
  ExpectNothingChanged();
}

TEST_F(HostileArchiveTest, ADayEntryWrittenBeforeTheArchiverFailedIsNotKept) {
  // The day entry comes first and is complete when a later entry makes the extraction fail.
  Fetch(test::HostileZip({{"030111.txt", "day of 3 Jan\r\n"}, {"../../../outside/up.txt", "escaped\r\n"}}));
  ExpectNothingChanged();
  fs.host.logged.clear();
  ::setenv("ARL_EXTRACT_LIMIT", "4096", 1);
  Fetch(test::HostileZip({{"030111.txt", "day of 3 Jan\r\n"}, {"big.txt", std::string(8192, '0')}}));
  ExpectNothingChanged();
}

TEST_F(HostileArchiveTest, AnArchiveReplacingAGoodDayFileThatFailsKeepsTheOldOne) {
  // 110103.txt is on disk (a re-fetch of a day): a broken archive for it must not cost the old file.
  test::WriteFile(Year("110103.txt"), "day of 3 Jan\r\n");
  before = test::Snapshot(fs.session.paths.ArchiveDir);
  Fetch(test::HostileZip({{"030111.txt", "", AE_IFLNK, "110104.txt"}}));
  ExpectNothingChanged();
}

}  // namespace
}  // namespace arl
