// First sync of one year from a loopback archive site: a whole run (pages, downloads, extraction and
// the conversion of the year into its currency year files) against what a person's script does with
// the same archive list, one curl and one unzip process per archive, without any conversion.
// Usage: bench_acquire_first_sync [days (default 260)] [tickers (default 20)]
// The site holds the year on a page of its own and one day of the next year on the index page; both
// sides fetch all of it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "bench/bench_util.h"
#include "run/run_control.h"
#include "support/files.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

using namespace arl;

namespace {

constexpr int kYear = 2010;  // 260 trading days

std::size_t CountFiles(const std::string& dir, const std::string& ending) {
  std::size_t n = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    n += e.is_regular_file() && name.size() >= ending.size() &&
         name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  }
  return n;
}

// One run of the program in a fresh home; its exit code says whether every file is there.
int OurFirstSync(const std::string& home, const std::string& indexUrl,
                 const std::vector<std::string>& tickers, std::size_t archives) {
  benchutil::QuietEvents host;
  OptionValues options;
  options.EditURL = indexUrl;
  CurlBrowser browser;
  CurlDownloader downloader;
  Session s(host, browser, downloader, Paths::ForAppDir(home));
  PrepareWorkingFolders(s.paths);
  LineList list(tickers.begin(), tickers.end());
  SaveLines(s.paths.AppDir + "CurrencyList.txt", list);
  try {
    RunOnce(s, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "run failed: %s\n", e.what());
    return 1;
  }
  const bool complete = CountFiles(s.paths.ArchiveDir, ".txt") == archives &&
                        CountFiles(s.paths.DataDir, ".txt") == 2 * tickers.size();
  return complete ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int dayCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 260;
  const int tickerCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  benchutil::ScratchDir dir;

  tools::FakeSiteOptions o;
  o.seed = 5;
  o.firstYear = kYear;
  o.lastYear = kYear + 1;
  o.daysPerYear = dayCount;
  o.newestDays = 1;
  o.tickers = tickerCount;
  std::printf("generating a site of %d + 1 day archives x %d tickers ...\n", dayCount, tickerCount);
  std::fflush(stdout);
  const tools::FakeSite site = tools::FakeSite::Generate(dir.path() + "site", o);
  tools::SiteServer server(site.Dir());
  server.Start();

  std::vector<std::string> urls;
  for (int year = kYear; year <= kYear + 1; ++year) {
    for (const auto& d : site.PublishedDays(year))
      urls.push_back(server.Url(tools::FakeSite::ArchivePath(d)));
  }
  {
    std::ofstream list(dir.path() + "archives.list");
    for (const auto& u : urls) list << u << "\n";
  }
  // Both sides start with the archives in the page cache.
  benchutil::ShellSeconds("cat '" + site.Dir() + "free_forex_quotes/'*/*/*.zip > /dev/null");

  const std::string shellDir = dir.path() + "shell/";
  std::filesystem::create_directories(shellDir);
  const double shell =
      benchutil::ShellSeconds("cd '" + shellDir +
                              "' && while read -r url; do name=${url##*/}; curl -s -o \"$name\" \"$url\" && "
                              "unzip -o -q \"$name\" && rm -f \"$name\"; done < ../archives.list");
  const std::size_t shellFiles = CountFiles(shellDir, ".txt");

  const std::string home = dir.path() + "home/";
  std::filesystem::create_directories(home);
  const auto tickers = site.DayOptions().tickers;
  const benchutil::ChildResult ours = benchutil::RunInChild(
      [&] { return OurFirstSync(home, server.Url(tools::FakeSite::kIndexPath), tickers, urls.size()); });

  std::printf("archives: %zu, tickers: %d\n", urls.size(), tickerCount);
  std::printf("curl + unzip loop:        %8.2f s (%zu day files, no conversion)\n", shell, shellFiles);
  std::printf("first sync with convert:  %8.2f s (cpu %.2f s, peak %ld MiB)%s\n", ours.seconds,
              ours.cpuSeconds, ours.peakKb / 1024, ours.exitCode == 0 ? "" : "  INCOMPLETE");
  std::printf("ratio ours / loop:        %8.2f x (target: at most 1.0 x)\n", ours.seconds / shell);
  return ours.exitCode == 0 && shellFiles == urls.size() ? 0 : 1;
}
