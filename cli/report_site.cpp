#include "cli/report_site.h"

#include <algorithm>

#include "acquire/curl_browser.h"
#include "acquire/day_names.h"
#include "acquire/downloader.h"
#include "acquire/page_access.h"
#include "acquire/site_listing.h"
#include "support/errors.h"

namespace arl {

namespace {

// The report's session hears nothing and fetches nothing: it only loads pages.
class SilentEvents : public RunEvents {
 public:
  void Logged(std::string_view) override {}
  void StatusChanged(std::string_view) override {}
  void MessageBoxOk(std::string_view, std::string_view) override {}
};

class NoDownloads : public Downloader {
 public:
  bool Download(const std::string&, const std::string&) override { return false; }
};

// The day a day-archive link names ("…/ddmmyy.zip"), or kNoDay.
std::int64_t LinkedDay(const std::string& link, int year) {
  const std::size_t slash = link.rfind('/');
  const std::string name = link.substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() != 10 || !name.ends_with(".zip")) return kNoDay;
  return DayOfDayFileName(SwapDayPairs(name.substr(0, 6)) + ".txt", year);
}

// Loads the page; the browser's reason when it failed.
std::string Load(Session& s, const std::string& address) {
  s.browser.Navigate(address);
  WaitForBrowser(s);
  return s.browser.LoadError();
}

void ReadYear(Session& s, ReportModel& report, const std::string& page, const std::string& yearText) {
  if (const std::string error = Load(s, page); !error.empty()) {
    report.siteError += (report.siteError.empty() ? "" : "; ") + yearText + "年のページ " + page +
                        " を読み込めませんでした (" + error + ")";
    return;
  }
  const int year = StrToInt(yearText);
  auto onDisk = std::find_if(report.archive.begin(), report.archive.end(),
                             [year](const ArchiveYear& a) { return a.year == year; });
  if (onDisk == report.archive.end()) {  // a year the site has and the disk has not at all
    ArchiveYear empty;
    empty.year = year;
    onDisk = report.archive.insert(std::upper_bound(report.archive.begin(), report.archive.end(), year,
                                                    [](int y, const ArchiveYear& a) { return y < a.year; }),
                                   empty);
  }
  SiteYear& site = report.site[year];
  site.listed = true;
  for (const std::string& link : CollectYearLinks(s, yearText)) {
    const std::int64_t day = LinkedDay(link, year);
    if (day != kNoDay && !std::binary_search(onDisk->days.begin(), onDisk->days.end(), day))
      site.missing.push_back(day);
  }
  std::sort(site.missing.begin(), site.missing.end());
  site.missing.erase(std::unique(site.missing.begin(), site.missing.end()), site.missing.end());
}

}  // namespace

void ReadSite(ReportModel& report, const RunOptions& options, const Paths& paths) {
  report.siteAsked = true;
  SilentEvents events;
  CurlBrowser browser;
  NoDownloads downloads;
  Session s(events, browser, downloads, paths);
  try {
    const std::string& index = options.indexUrl;
    if (const std::string error = Load(s, index); !error.empty()) {
      report.siteError = "インデックスページ " + index + " を読み込めませんでした (" + error + ")";
      return;
    }
    s.LatestYear = LatestYearOf(CollectArchiveLinks(s), index);
    const YearPages years = ReadYearPages(s, index);
    for (std::size_t i = 0; i < years.years.size(); ++i) ReadYear(s, report, years.pages[i], years.years[i]);
  } catch (const std::exception& e) {
    report.siteError = e.what();
  }
}

}  // namespace arl
