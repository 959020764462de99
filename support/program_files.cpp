#include "support/program_files.h"

#include "arl/install_dirs.h"
#include "support/files.h"
#include "support/home_layout.h"

namespace arl {

ProgramFiles LocateProgramFiles(const std::string& executableDir) {
  const std::string installedData = executableDir + kDataDirFromBin;
  ProgramFiles files;
  files.installed = !FileExists(Paths::ForAppDir(executableDir).CurrencyListPath) &&
                    FileExists(Paths::ForAppDir(installedData).CurrencyListPath);
  files.dataDir = files.installed ? installedData : executableDir;
  files.pluginDir = files.installed ? executableDir + kPluginDirFromBin : executableDir;
  return files;
}

const ProgramFiles& CurrentProgramFiles() {
  static const ProgramFiles files = LocateProgramFiles(ExecutableDir());
  return files;
}

}  // namespace arl
