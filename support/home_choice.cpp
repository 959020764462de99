#include "support/home_choice.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/files.h"
#include "support/home_layout.h"
#include "support/program_files.h"

namespace arl {

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

HomeCandidates CurrentHomeCandidates() {
  HomeCandidates c;
  c.executableDir = ExecutableDir();
  c.executableDirWritable = ::access(c.executableDir.c_str(), W_OK) == 0;
  c.installedCopy = CurrentProgramFiles().installed;
  c.xdgDataHome = Env("XDG_DATA_HOME");
  c.userHome = Env("HOME");
  return c;
}

bool IsSystemFolder(std::string_view dir) {
  const std::string normal = WithSlash(std::filesystem::path(dir).lexically_normal().string());
  for (std::string_view system : {"/usr/", "/opt/"})
    if (normal.starts_with(system)) return true;  // /usr/local lies below /usr
  return false;
}

std::string DefaultHome(const HomeCandidates& c) {
  if (c.executableDirWritable && !c.installedCopy && !IsSystemFolder(c.executableDir))
    return WithSlash(c.executableDir);
  // A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
  if (!c.xdgDataHome.empty() && c.xdgDataHome.front() == '/')
    return WithSlash(c.xdgDataHome) + "autorateloom/";
  if (!c.userHome.empty() && c.userHome.front() == '/')
    return WithSlash(c.userHome) + ".local/share/autorateloom/";
  return "";
}

std::string DefaultHomeHelp() {
  const std::string home = DefaultHome(CurrentHomeCandidates());
  return "Without --home, the home is the executable's folder when it can be written and is neither a\n"
         "system folder (/usr, /opt) nor an installed copy's, else $XDG_DATA_HOME/autorateloom (by\n"
         "default ~/.local/share/autorateloom), made on first use. Here that is: " +
         (home.empty() ? std::string("none (HOME is not set)") : home) + "\n";
}

std::string OpenHome(const std::string& dir) {
  std::string home = WithSlash(std::filesystem::absolute(dir).lexically_normal().string());
  std::filesystem::create_directories(home);
  const std::string list = Paths::ForAppDir(home).CurrencyListPath;
  const std::string shipped = Paths::ForAppDir(CurrentProgramFiles().dataDir).CurrencyListPath;
  if (!FileExists(list) && FileExists(shipped)) std::filesystem::copy_file(shipped, list);
  return home;
}

}  // namespace arl
