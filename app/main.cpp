#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "app/startup_mode.h"
#include "app/tform1.h"
#include "cli/headless.h"

int main(int argc, char** argv) {
  if (arl::ShouldRunHeadless(argc, argv, [](const char* name) { return std::getenv(name); }))
    return arl::RunHeadless(argc, argv);

  QApplication app(argc, argv);
  arl::FormConfig config;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) config.args.push_back(args[i].toStdString());

  try {
    arl::CurlBrowser browser;
    arl::CurlDownloader downloader;
    arl::TForm1 form(browser, downloader, config);
    form.show();
    return app.exec();
  } catch (const std::exception& e) {
    // Start-up failed before the window could show anything (the transfer library, for one).
    std::fprintf(stderr, "autorateloom: %s\n", e.what());
    return 1;
  }
}
