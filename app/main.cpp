#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "app/display_open.h"
#include "app/startup_mode.h"
#include "app/tform1.h"
#include "arl/version.h"
#include "cli/headless.h"
#include "support/home_choice.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf("%s%s", arl::kWindowUsage, arl::DefaultHomeHelp().c_str());
      return 0;
    }
    if (arg == "--version") {
      std::printf("autorateloom %s\n", arl::kVersionText);
      return 0;
    }
  }
  if (arl::ShouldRunHeadless(argc, argv, [](const char* name) { return std::getenv(name); }))
    return arl::RunHeadless(argc, argv);

  const std::unique_ptr<QApplication> app = arl::OpenDisplay(argc, argv);
  // The desktop entry and the icon the menus show are the installed autorateloom.desktop's.
  QGuiApplication::setDesktopFileName(QStringLiteral("autorateloom"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("autorateloom")));
  arl::FormConfig config;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) config.args.push_back(args[i].toStdString());
  std::string home = arl::TakeHomeArgument(config.args);
  if (home.empty()) home = arl::DefaultHome(arl::CurrentHomeCandidates());
  if (home.empty()) {
    std::fprintf(stderr, "autorateloom: %s\n", arl::kNoHomeMessage);
    return 1;
  }

  try {
    config.appDir = arl::OpenHome(home);
    arl::CurlBrowser browser;
    arl::CurlDownloader downloader;
    arl::TForm1 form(browser, downloader, config);
    form.show();
    const int status = app->exec();
    // Auto mode answers a scheduler as the headless front end does: 1 when anything failed.
    if (form.session().autoMode && form.LastRunFailed()) return arl::kExitError;
    return status;
  } catch (const std::exception& e) {
    // Start-up failed before the window could show anything (the transfer library, for one).
    std::fprintf(stderr, "autorateloom: %s\n", e.what());
    return 1;
  }
}
