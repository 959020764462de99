#pragma once
// Where the files shipped with the program are: the archiver plugin, the default currency list and
// the read-me. A build folder or an unpacked (portable) copy keeps them beside the executables; an
// installed copy keeps its data in <prefix>/share/autorateloom and its plugin in
// <prefix>/lib/autorateloom, found from the executable's own folder so that any prefix works. A copy
// counts as installed when its currency list is not beside the executable but in the data folder.
// Locating only looks; a missing file shows later, where it is opened.
#include <string>

namespace arl {

struct ProgramFiles {
  bool installed = false;
  std::string dataDir;    // readme.html, CurrencyList.txt; ends in "/"
  std::string pluginDir;  // lib7-zip32.so; ends in "/"
};

// The files of the program whose executable lives in `executableDir` (ending in "/").
ProgramFiles LocateProgramFiles(const std::string& executableDir);

// The files of this process's program, located once.
const ProgramFiles& CurrentProgramFiles();

}  // namespace arl
