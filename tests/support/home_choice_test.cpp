// The home without --home: beside the executable when that folder can be written and is no system
// folder, else the user's data folder; and the opened home gets the shipped currency list.
#include "support/home_choice.h"

#include <gtest/gtest.h>

#include "support/files.h"
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

}  // namespace
}  // namespace arl
