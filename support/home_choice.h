#pragma once
// Where a front end keeps its home (settings, log, currency list, data) when none is given on the
// command line: beside the executable ("portable", as a build folder or an unpacked copy is used)
// when that folder can be written, is not a system folder (/usr, /usr/local, /opt and below) and is
// not an installed copy's (installed under ~/.local, say, its folder is bin/, no place for data),
// otherwise the user's data folder, $XDG_DATA_HOME/autorateloom (~/.local/share/autorateloom when
// XDG_DATA_HOME is unset or not absolute). Choosing touches nothing; OpenHome makes the folder.
#include <string>
#include <string_view>

namespace arl {

// What the choice depends on, gathered so that tests need no real system folders.
struct HomeCandidates {
  std::string executableDir;  // ends in "/"
  bool executableDirWritable = false;
  std::string xdgDataHome;     // $XDG_DATA_HOME, "" when unset
  std::string userHome;        // $HOME, "" when unset
  bool installedCopy = false;  // the shipped files are in the installed tree, not beside it
};

// The process's own candidates: its executable's folder and environment.
HomeCandidates CurrentHomeCandidates();

// Whether `dir` is /usr, /usr/local, /opt or a folder below one of them.
bool IsSystemFolder(std::string_view dir);

// The home by the rule above, ending in "/"; "" when none can be named (no usable HOME either).
std::string DefaultHome(const HomeCandidates& candidates);
// What a front end says when DefaultHome names none.
inline constexpr char kNoHomeMessage[] =
    "ホームフォルダを決められません (HOME が設定されていません)。--home で指定してください";

// The rule above for the front ends' --help, ending with the home it names for this process.
std::string DefaultHomeHelp();

// Makes the home folder (and its parents) when missing and gives it the currency list shipped with
// the program when it has none. Returns it as an absolute folder ending in "/". Raises
// std::filesystem::filesystem_error when the folder cannot be made.
std::string OpenHome(const std::string& dir);

}  // namespace arl
