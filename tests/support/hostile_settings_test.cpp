// Settings files that were damaged or written by something else: binary garbage, keys given twice,
// values of megabytes, numbers out of range. Reading never fails and gives the first value of a key
// or the default; writing keeps what it does not own and reads back to what was written.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "support/errors.h"
#include "support/settings.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

std::string Garbage(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

void ExpectSameOptions(const StoredSettings& a, const StoredSettings& b) {
  EXPECT_EQ(a.Geometry.Top, b.Geometry.Top);
  EXPECT_EQ(a.Geometry.Left, b.Geometry.Left);
  EXPECT_EQ(a.Geometry.Width, b.Geometry.Width);
  EXPECT_EQ(a.Geometry.Height, b.Geometry.Height);
  EXPECT_EQ(a.Options.EditURL, b.Options.EditURL);
  EXPECT_EQ(a.Options.EditLongTimeFormat, b.Options.EditLongTimeFormat);
  EXPECT_EQ(a.Options.EditFileHeadName, b.Options.EditFileHeadName);
  EXPECT_EQ(a.Options.EditGmtGap, b.Options.EditGmtGap);
  EXPECT_EQ(a.Options.EditRetryLimit, b.Options.EditRetryLimit);
  EXPECT_EQ(a.Options.RadioGroup1, b.Options.RadioGroup1);
  EXPECT_EQ(a.Options.RadioGroup2, b.Options.RadioGroup2);
  EXPECT_EQ(a.Options.RadioGroup3, b.Options.RadioGroup3);
  EXPECT_EQ(a.Options.CheckBox1, b.Options.CheckBox1);
}

TEST(HostileSettings, BinaryGarbageReadsAsDefaultsAndSurvivesAWrite) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  const StoredSettings defaults;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const std::string garbage = Garbage(4096 * seed, seed);
    test::WriteFile(path, garbage);
    const StoredSettings read = ReadSettings(path, defaults);
    EXPECT_GE(read.Options.RadioGroup1, -1);
    EXPECT_LE(read.Options.RadioGroup1, 1);
    WriteSettings(path, read);
    ExpectSameOptions(ReadSettings(path, defaults), read);
  }
  // Garbage around a good section: the section is found and the rest is kept as it stood.
  test::WriteFile(path, "[Other]\r\nk=v\r\n[Form]\r\nRadioGroup3=0\r\n[Form\r\n\x01\x02=\x03\r\n");
  StoredSettings read = ReadSettings(path, defaults);
  EXPECT_EQ(read.Options.RadioGroup3, 0);
  WriteSettings(path, read);
  EXPECT_NE(test::ReadFile(path).find("[Other]\r\nk=v\r\n"), std::string::npos);
}

TEST(HostileSettings, TheFirstOfDuplicateKeysCountsAndAWriteLeavesOneCopy) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  test::WriteFile(path,
                  "[Form]\r\nEditRetryLimit=7\r\nEditRetryLimit=8\r\n[Form]\r\nEditRetryLimit=9\r\n"
                  "editretrylimit=10\r\nTop=12\r\nTop=13\r\n");
  StoredSettings read = ReadSettings(path, StoredSettings{});
  EXPECT_EQ(read.Options.EditRetryLimit, "7");
  EXPECT_EQ(read.Geometry.Top, 12);
  read.Options.EditRetryLimit = "3";
  WriteSettings(path, read);
  const std::string text = test::ReadFile(path);
  std::size_t copies = 0;
  for (std::size_t at = text.find("EditRetryLimit="); at != std::string::npos;
       at = text.find("EditRetryLimit=", at + 1))
    ++copies;
  EXPECT_EQ(copies, 1u);
  EXPECT_EQ(ReadSettings(path, StoredSettings{}).Options.EditRetryLimit, "3");
}

TEST(HostileSettings, HugeValuesAndNumbersOutOfRangeAreHandled) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  const std::string hugeUrl = "http://quotes.test/" + std::string(8 << 20, 'a');
  test::WriteFile(path, "[Form]\r\nEditURL=" + hugeUrl +
                            "\r\nTop=99999999999999999999\r\nLeft=-2147483649\r\n"
                            "Width=0x7fffffff\r\nRadioGroup1=2147483647\r\nRadioGroup2=-2147483648\r\n"
                            "EditFileHeadName=" +
                            std::string(100000, '\xff') + "\r\n");
  StoredSettings defaults;
  defaults.Geometry.Top = 5;
  defaults.Geometry.Left = 6;
  const auto start = std::chrono::steady_clock::now();
  StoredSettings read = ReadSettings(path, defaults);
  EXPECT_EQ(read.Options.EditURL, hugeUrl);
  EXPECT_EQ(read.Geometry.Top, 5);  // out of range: the default
  EXPECT_EQ(read.Geometry.Left, 6);
  EXPECT_EQ(read.Geometry.Width, 0x7fffffff);
  EXPECT_EQ(read.Options.RadioGroup1, 1);  // clamped to the last item
  EXPECT_EQ(read.Options.RadioGroup2, -1);
  // A value holding line breaks must not turn into keys of its own.
  read.Options.EditFileHeadName = "x\r\nRadioGroup3=0\r\n[Evil]\ny";
  WriteSettings(path, read);
  const StoredSettings again = ReadSettings(path, defaults);
  EXPECT_EQ(again.Options.RadioGroup3, read.Options.RadioGroup3);
  EXPECT_EQ(again.Options.EditURL, hugeUrl);
  EXPECT_EQ(again.Options.EditFileHeadName.find('\n'), std::string::npos);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}

TEST(HostileSettings, ASettingsPathThatIsAFolderReadsAsDefaultsAndFailsToWrite) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  test::MakeDirs(path);
  const StoredSettings read = ReadSettings(path, StoredSettings{});
  ExpectSameOptions(read, StoredSettings{});
  EXPECT_THROW(WriteSettings(path, read), EInOutError);
}

}  // namespace
}  // namespace arl
