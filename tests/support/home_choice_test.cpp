// The home without --home: beside the executable when that folder can be written and is no system
// folder, else the user's data folder; and the opened home gets the shipped currency list.
#include "support/home_choice.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/files.h"
#include "support/program_files.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

TEST(HomeChoice, PortableUnlessInstalledOrReadOnlyThenTheUsersDataFolder) {
  HomeCandidates c{"/home/ann/arl/build/bin/", true, "", "/home/ann"};
  EXPECT_EQ(DefaultHome(c), "/home/ann/arl/build/bin/");
  for (const char* installed : {"/usr/bin/", "/usr/local/bin/", "/opt/autorateloom/bin/", "/usr/"}) {
    c.executableDir = installed;
    EXPECT_EQ(DefaultHome(c), "/home/ann/.local/share/autorateloom/") << installed;
  }
  c.executableDir = "/usrx/bin/";  // a name that only begins like a system folder
  EXPECT_EQ(DefaultHome(c), "/usrx/bin/");
  c.installedCopy = true;  // make install PREFIX=~/.local: bin/ is no place for data
  EXPECT_EQ(DefaultHome(c), "/home/ann/.local/share/autorateloom/");
  c.installedCopy = false;
  c.executableDirWritable = false;
  c.xdgDataHome = "/data/ann";
  EXPECT_EQ(DefaultHome(c), "/data/ann/autorateloom/");
  c.xdgDataHome = "relative/data";  // not absolute: ignored
  EXPECT_EQ(DefaultHome(c), "/home/ann/.local/share/autorateloom/");
  c.userHome = "";
  EXPECT_EQ(DefaultHome(c), "") << "nothing to name";
  EXPECT_TRUE(IsSystemFolder("/usr/local/../bin"));
  EXPECT_FALSE(IsSystemFolder("/home/ann/usr/"));
}

TEST(HomeChoice, OpeningMakesTheFolderAndKeepsAListItHas) {
  test::TempDir base;
  const std::string home = OpenHome(base / "a/b");
  EXPECT_EQ(home, base / "a/b/");
  EXPECT_TRUE(DirectoryExists(home));
  test::WriteFile(home + "CurrencyList.txt", "EURUSD\r\n");
  EXPECT_EQ(OpenHome(home), home);
  EXPECT_EQ(test::ReadFile(home + "CurrencyList.txt"), "EURUSD\r\n");
}

// The shipped files are beside the executable in a build folder or portable copy, and in the installed
// tree otherwise; a copy with its own list beside it stays portable even inside an installed tree.
TEST(ProgramFilesTest, FoundBesideTheExecutableOrInTheInstalledTree) {
  test::TempDir prefix;
  const std::string bin = prefix / "bin/";
  test::WriteFile(prefix / "share/autorateloom/CurrencyList.txt", "EURUSD\r\n");
  test::WriteFile(bin + "autorateloom-cli", "");
  ProgramFiles files = LocateProgramFiles(bin);
  EXPECT_TRUE(files.installed);
  EXPECT_EQ(std::filesystem::path(files.dataDir).lexically_normal(), prefix / "share/autorateloom/");
  EXPECT_EQ(std::filesystem::path(files.pluginDir).lexically_normal(), prefix / "lib/autorateloom/");
  test::WriteFile(bin + "CurrencyList.txt", "EURUSD\r\n");
  files = LocateProgramFiles(bin);
  EXPECT_FALSE(files.installed);
  EXPECT_EQ(files.dataDir, bin);
  EXPECT_EQ(files.pluginDir, bin);
}

}  // namespace
}  // namespace arl
