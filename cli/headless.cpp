#include "cli/headless.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "cli/headless_host.h"
#include "cli/headless_settings.h"
#include "cli/stop_signals.h"
#include "run/run_control.h"
#include "support/files.h"

namespace arl {

namespace {

constexpr char kUsage[] =
    "Usage: autorateloom-cli [auto] [--home DIR]\n"
    "\n"
    "Runs one run exactly as the window's auto mode does: the missing day archives are downloaded\n"
    "and converted, and the merge files are brought up to date when the settings ask for it. The log\n"
    "goes to stdout and to autorateloom.log; SIGINT or SIGTERM cancels the run (a second one ends it\n"
    "at once).\n"
    "\n"
    "  --home DIR   keep settings, CurrencyList.txt, log and outputs in DIR\n"
    "               (default: the directory of the executable)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 done, 1 the run ended with an error, 2 bad command line, 130 cancelled.\n";

// Makes DIR the program's home: created when missing, given a currency list from beside the
// executable when it has none. Returns the absolute directory, ending in "/".
std::string PrepareHome(const std::string& home) {
  std::filesystem::path dir = std::filesystem::absolute(home);
  std::filesystem::create_directories(dir);
  std::string appDir = dir.string();
  if (appDir.back() != '/') appDir += '/';
  const std::string list = appDir + "CurrencyList.txt";
  const std::string shipped = ExecutableDir() + "CurrencyList.txt";
  if (!FileExists(list) && FileExists(shipped)) std::filesystem::copy_file(shipped, list);
  return appDir;
}

}  // namespace

HeadlessArgs ParseHeadlessArgs(int argc, char** argv) {
  HeadlessArgs a;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (i == 1 && arg == "auto") continue;
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (arg == "--home") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        a.error = "--home needs a directory";
        return a;
      }
      a.home = argv[++i];
    } else if (arg.starts_with("--home=") && arg.size() > 7) {
      a.home = std::string(arg.substr(7));
    } else {
      a.error = "unknown argument: " + std::string(arg);
      return a;
    }
  }
  return a;
}

int RunHeadless(int argc, char** argv) {
  HeadlessArgs args = ParseHeadlessArgs(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "autorateloom-cli: %s\n\n%s", args.error.c_str(), kUsage);
    return kExitUsage;
  }
  if (args.help) {
    std::fputs(kUsage, stdout);
    return kExitDone;
  }
  if (args.version) {
    std::printf("autorateloom-cli %s\n", kVersionText);
    return kExitDone;
  }

  try {
    const std::string appDir = args.home.empty() ? ExecutableDir() : PrepareHome(args.home);
    Paths paths = Paths::ForAppDir(appDir);
    PrepareWorkingFolders(paths);
    HeadlessSettings settings(paths.SettingsPath);
    CurlBrowser browser;
    CurlDownloader downloader;
    HeadlessHost host(settings, stdout, stderr, ::isatty(STDERR_FILENO) == 1);
    Session session(host, browser, downloader, paths);
    session.autoMode = true;
    host.Attach(session);

    StopSignals signals;
    std::string error;
    try {
      Button1Click(session);
    } catch (const std::exception& e) {
      error = e.what();
    } catch (...) {
      error = "unknown error";
    }
    host.ClearStatusLine();
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    if (host.CancelTaken()) return kExitCancelled;
    return error.empty() ? kExitDone : kExitError;
  } catch (const std::exception& e) {
    // Start-up failures: the home cannot be made, the currency list cannot be copied.
    std::fprintf(stderr, "%s\n", e.what());
    return kExitError;
  }
}

}  // namespace arl
