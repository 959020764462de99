#include "support/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/errors.h"
#include "support/settings.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

TEST(Profile, ReadsIntegersStringsAndBooleans) {
  test::TempDir dir;
  const std::string path = dir / "a.ini";
  test::WriteFile(path,
                  "; hand-written\r\n[form]\r\nA=abc\r\nHex=0x10\r\nDollar=$1F\r\nNeg= -5 \r\n"
                  "Quoted=\"  spaced  \"\r\nSingle='x'\r\nHalf=\"x\r\nPadded =  v w  \r\nBig=99999999999\n"
                  "Two=2\nZero=0\nEmpty=\nNoneQuoted= \"\" \nNoneSingle=''\nLone=\"\n[Other]\nHex=7\n");
  const ProfileFile ini(path);
  EXPECT_EQ(ini.ReadInteger("Form", "A", 1), 1);
  EXPECT_EQ(ini.ReadInteger("FORM", "hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Form", "Dollar", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Form", "Neg", 0), -5);
  EXPECT_EQ(ini.ReadInteger("Form", "Big", 3), 3);
  EXPECT_EQ(ini.ReadInteger("Form", "Empty", 4), 4);
  EXPECT_EQ(ini.ReadInteger("Form", "Missing", 9), 9);
  EXPECT_EQ(ini.ReadInteger("Other", "Hex", 0), 7);
  EXPECT_EQ(ini.ReadString("Form", "Quoted", ""), "  spaced  ");
  EXPECT_EQ(ini.ReadString("Form", "Single", ""), "x");
  EXPECT_EQ(ini.ReadString("Form", "Half", ""), "\"x");
  // A pair of quotes with nothing between them is an empty value, not the default.
  EXPECT_EQ(ini.ReadString("Form", "NoneQuoted", "def"), "");
  EXPECT_EQ(ini.ReadString("Form", "NoneSingle", "def"), "");
  EXPECT_EQ(ini.ReadString("Form", "Lone", ""), "\"");
  EXPECT_EQ(ini.ReadString("Form", "Padded", ""), "v w");
  EXPECT_EQ(ini.ReadString("Form", "Missing", "def"), "def");
  EXPECT_TRUE(ini.ReadBool("Form", "Two", false));
  EXPECT_FALSE(ini.ReadBool("Form", "Zero", true));
  EXPECT_TRUE(ini.ReadBool("Form", "A", true));
  EXPECT_TRUE(ini.HasKey("form", "EMPTY"));
  EXPECT_FALSE(ini.HasKey("Other", "A"));
}

TEST(Profile, MissingFileReadsEmptyAndSaveCreatesIt) {
  test::TempDir dir;
  ProfileFile ini(dir / "new.ini");
  EXPECT_EQ(ini.ReadString("Form", "EditURL", "d"), "d");
  ini.WriteInteger("Form", "Top", -3);
  ini.WriteBool("Form", "CheckBox1", true);
  ini.WriteString("Form", "Edit", "line\r\nInjected=1");
  ini.Save();
  EXPECT_EQ(test::ReadFile(dir / "new.ini"), "[Form]\r\nTop=-3\r\nCheckBox1=1\r\nEdit=line  Injected=1\r\n");
  EXPECT_THROW(ProfileFile(dir / "no/dir.ini").Save(), EInOutError);
}

TEST(Profile, KeepsUnknownSectionsKeysAndComments) {
  test::TempDir dir;
  const std::string path = dir / "keep.ini";
  test::WriteFile(path, "top comment\n[Other]\nX=1\n\n[Form]\n; note\nTop=5\nMine=keep\n\n");
  ProfileFile ini(path);
  ini.WriteInteger("form", "TOP", 6);
  ini.WriteString("Form", "New", "n");
  ini.DeleteKey("Form", "Mine");
  ini.Save();
  EXPECT_EQ(test::ReadFile(path),
            "top comment\r\n[Other]\r\nX=1\r\n\r\n[Form]\r\n; note\r\nTop=6\r\nNew=n\r\n\r\n");
}

TEST(Profile, ACrashDuringSaveLeavesTheOldFileWhole) {
  test::TempDir dir;
  const std::string path = dir / "s.ini";
  test::WriteFile(path, "[Form]\r\nTop=1\r\n");
  // A crash between writing the temporary file and renaming it leaves a stray temporary file.
  test::WriteFile(path + ".tmp99999", "[Form]\r\nTo");
  EXPECT_EQ(ProfileFile(path).ReadInteger("Form", "Top", 0), 1);
  // A save that cannot complete (read-only directory) raises and leaves the old content.
  ProfileFile ini(path);
  ini.WriteInteger("Form", "Top", 2);
  ::chmod(dir.path().c_str(), 0500);
  bool raised = false;
  try {
    ini.Save();
  } catch (const EInOutError&) {
    raised = true;
  }
  ::chmod(dir.path().c_str(), 0700);
  if (::geteuid() != 0) {
    EXPECT_TRUE(raised);
  }
  if (raised) {
    EXPECT_EQ(test::ReadFile(path), "[Form]\r\nTop=1\r\n");
  }
  ini.Save();
  EXPECT_EQ(ProfileFile(path).ReadInteger("Form", "Top", 0), 2);
}

TEST(Settings, ClampsRadioIndicesAndCentresTheWindow) {
  EXPECT_EQ(ClampRadioIndex(7), 1);
  EXPECT_EQ(ClampRadioIndex(2), 1);
  EXPECT_EQ(ClampRadioIndex(1), 1);
  EXPECT_EQ(ClampRadioIndex(-1), -1);
  EXPECT_EQ(ClampRadioIndex(-5), -1);
  EXPECT_EQ(ClampRadioIndex(4, 3), 2);
  EXPECT_EQ(CenteredOffset(1040, 694), 173);
  EXPECT_EQ(CenteredOffset(1920, 928), 496);
  EXPECT_EQ(CenteredOffset(355 + 694, 694), 178);
  EXPECT_EQ(CenteredOffset(357 + 694, 694), 178);
  EXPECT_EQ(CenteredOffset(600, 694), -47);
  EXPECT_EQ(CenteredOffset(691, 694), -2);  // -1.5 goes to the even -2
}

TEST(Settings, MissingOrBadValuesGiveDefaultsAndIndicesAreClamped) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  StoredSettings defaults;
  defaults.Geometry.Top = 173;
  EXPECT_EQ(ReadSettings(path, defaults).Geometry.Top, 173);
  test::WriteFile(path,
                  "[Form]\r\nRadioGroup1=abc\r\nRadioGroup2=-5\r\nRadioGroup3=7\r\nCheckBox1=2\r\n"
                  "EditGmtGap= \"+1\" \r\nWidth=0x400\r\nEditLongTimeFormat=''\r\n");
  const StoredSettings s = ReadSettings(path, defaults);
  EXPECT_EQ(s.Options.RadioGroup1, 1);
  EXPECT_EQ(s.Options.RadioGroup2, -1);
  EXPECT_EQ(s.Options.RadioGroup3, 1);
  EXPECT_TRUE(s.Options.CheckBox1);
  EXPECT_EQ(s.Options.EditGmtGap, "+1");
  EXPECT_EQ(s.Options.EditLongTimeFormat, "");
  EXPECT_EQ(s.Options.EditURL, kDefaultIndexUrl);
  EXPECT_EQ(s.Geometry.Width, 1024);
  EXPECT_EQ(s.Geometry.Height, 694);
}

TEST(Settings, WritesTheKeysInOrderAndReadsThemBack) {
  test::TempDir dir;
  const std::string path = dir / "autorateloom.ini";
  test::WriteFile(path, "[Form]\r\nCheckBox1=0\r\nTop=1\r\n[Mine]\r\nK=v\r\n");
  StoredSettings s;
  s.Geometry = {10, 20, 800, 600};
  s.Options.EditFileHeadName = "  pre ";
  s.Options.EditLongTimeFormat = "hh:nn";
  s.Options.RadioGroup2 = -1;
  s.Options.CheckBox1 = true;
  s.Options.Timeframes = "5min,1day";
  WriteSettings(path, s);
  EXPECT_EQ(
      test::ReadFile(path),
      std::string("[Form]\r\nTop=10\r\nLeft=20\r\nWidth=800\r\nHeight=600\r\nEditURL=") + kDefaultIndexUrl +
          "\r\nEditLongTimeFormat=hh:nn\r\nEditFileHeadName=  pre \r\nEditGmtGap=-6\r\nEditRetryLimit=5\r\n"
          "RadioGroup1=1\r\nRadioGroup2=-1\r\nRadioGroup3=1\r\nCheckBox1=1\r\nTimeframes=5min,1day\r\n"
          "[Mine]\r\nK=v\r\n");
  const StoredSettings back = ReadSettings(path, StoredSettings{});
  EXPECT_EQ(back.Geometry.Left, 20);
  EXPECT_EQ(back.Options.EditFileHeadName, "pre");  // the format drops the spaces at either end
  EXPECT_EQ(back.Options.RadioGroup2, -1);
  EXPECT_TRUE(back.Options.CheckBox1);
  EXPECT_EQ(back.Options.Timeframes, "5min,1day");
}

}  // namespace
}  // namespace arl
