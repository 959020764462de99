#include "support/archiver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/common/temp_dir.h"

namespace arl {
namespace {

// True while a library whose path holds `name` is mapped into this process.
bool IsMapped(const std::string& name) {
  std::ifstream maps("/proc/self/maps");
  std::stringstream text;
  text << maps.rdbuf();
  return text.str().find(name) != std::string::npos;
}

const char kFake[] = "libarl_fake_archiver.so";

// An adapter bound to the scripted test library, whose commands are "echo", "fill" and "throw".
class FakeArchiver : public TArchieverDll {
 public:
  FakeArchiver() {
    DllName = kFake;
    DllDir = ArchiverDirectory();
    EntryName = "FakeEntry";
    ExtractCommand = "echo x %s -o%s ";
    PackCommand = "echo a -r %s %s %s";
  }
};

const std::string kHeader = std::string("FakeEntry (in ") + kFake + ") OUTPUT:\r\n";

TEST(ArchiverTest, ReportIsReadWholeUnderTheHeaderWithBlankLinesCollapsed) {
  FakeArchiver dll;
  std::string output;
  EXPECT_TRUE(dll.RunCommand("echo text\r\n\r\n\r\nmore", output));
  EXPECT_EQ(output, kHeader + "text\r\nmore");
  EXPECT_TRUE(dll.RunCommand("echo \r\n\r\nfirst\r\n\r\n", output));
  EXPECT_EQ(output, kHeader + "first\r\n");  // also the blank line right after the header

  // A report that fills the whole size passed is still cut by the buffer's last byte.
  EXPECT_TRUE(dll.RunCommand("fill 5000", output));
  EXPECT_EQ(output, kHeader + std::string(1023, 'a'));
  EXPECT_FALSE(IsMapped(kFake));
}

TEST(ArchiverTest, AnyErrorWordInTheReportIsFailure) {
  FakeArchiver dll;
  std::string output;
  EXPECT_FALSE(dll.RunCommand("echo Everything is Ok\r\nErrors: 0", output));
  EXPECT_FALSE(dll.RunCommand("echo ERROR", output));
  EXPECT_FALSE(dll.RunCommand("echo terrors", output));
  EXPECT_TRUE(dll.RunCommand("echo Everything is Ok", output));
}

TEST(ArchiverTest, ExceptionFromTheLibraryIsCaughtAndReported) {
  FakeArchiver dll;
  std::string output = "before";
  EXPECT_FALSE(dll.RunCommand("throw boom", output));
  EXPECT_EQ(output, kHeader + "boom, before");
  EXPECT_FALSE(IsMapped(kFake));
}

TEST(ArchiverTest, CommandsQuoteEveryPath) {
  EXPECT_EQ(TArchieverDll::QuoteArg("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(TArchieverDll::QuoteArg(""), "\"\"");

  FakeArchiver dll;
  std::string output;
  EXPECT_TRUE(dll.Extract("/d/2009/03\"01 %s.zip", "/d/2009/", output));
  EXPECT_EQ(output, kHeader + "x \"/d/2009/03\"\"01 %s.zip\" -o\"/d/2009/\" ");
}

TEST(ArchiverTest, PackNamesEntriesBelowTheFirstEntrysFolder) {
  test::TempDir tmp;
  test::MakeDirs(tmp / "data/sub");
  test::WriteFile(tmp / "data/a.txt", "a");
  FakeArchiver dll;
  std::string output;
  EXPECT_TRUE(dll.Pack({tmp / "data/a.txt", tmp / "data/sub", "/elsewhere/b.txt"}, tmp / "out.zip", output));
  EXPECT_EQ(output, kHeader + "a -r \"" + tmp / "out.zip" + "\" \"" + tmp / "data/" +
                        "\" \"a.txt\" \"sub/*\" \"/elsewhere/b.txt\" ");

  EXPECT_EQ(TArchieverDll::BaseDirOf({}), "");
  EXPECT_EQ(TArchieverDll::BaseDirOf({"plain.txt", "/x/y.txt"}), "");
  LineList list = {"/Data/a", "/data/b", "/data/"};
  TArchieverDll::StripBaseDir(list, "/data/");
  EXPECT_EQ(list, (LineList{"/Data/a", "b", ""}));
}

TEST(ArchiverTest, LoadFailuresCarryTheLoadersText) {
  TArchieverDll unknown;
  std::string output;
  EXPECT_FALSE(unknown.Extract("a.zip", "d/", output));
  const std::string header = "UNKNOWN (in UNKNOWN.DLL) OUTPUT:\r\n";
  ASSERT_EQ(output.compare(0, header.size(), header), 0) << output;
  EXPECT_NE(output.find("UNKNOWN.DLL: cannot open shared object file"), std::string::npos) << output;
  const char last = output.back();
  EXPECT_TRUE(last != '.' && last != ' ' && last != '\n') << output;

  FakeArchiver noEntry;
  noEntry.EntryName = "NoSuchEntry";
  EXPECT_FALSE(noEntry.RunCommand("echo hi", output));
  EXPECT_NE(output.find("NoSuchEntry (in libarl_fake_archiver.so) OUTPUT:\r\n"), std::string::npos);
  EXPECT_NE(output.find("undefined symbol: NoSuchEntry"), std::string::npos) << output;
  EXPECT_FALSE(IsMapped(kFake));
}

TEST(ArchiverTest, PluginAdapterLooksBesideTheExecutables) {
  TArchieverDll7zip32 dll;
  EXPECT_EQ(dll.DllName, "lib7-zip32.so");
  EXPECT_EQ(dll.EntryName, "SevenZip");
  EXPECT_EQ(dll.ExtractCommand, "x -hide -aoa %s -o%s ");
  EXPECT_EQ(dll.PackCommand, "a -r %s %s %s");
  EXPECT_EQ(dll.DllDir, ArchiverDirectory());

  SetArchiverDirectory("/nowhere");
  TArchieverDll7zip32 moved;
  SetArchiverDirectory("");
  std::string output;
  EXPECT_FALSE(moved.Extract("a.zip", "d/", output));
  EXPECT_NE(output.find("/nowhere/lib7-zip32.so"), std::string::npos) << output;
}

}  // namespace
}  // namespace arl
