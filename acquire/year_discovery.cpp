// Year discovery: the index page gives LatestYear (from its last zip link) and the pages of the
// single years; the years after the newest yearly page up to LatestYear are looked for on the index
// page itself. Every year without a marker is synchronised, LatestYear always, and the year just
// before LatestYear too, so that days published after its marker was written are not lost at the
// turn of the year (a marked year whose first pass finds nothing missing ends at once).
//
// An index page that did not load, or that holds no day-archive link or no yearly link, ends the run
// with an ERunError that names the address; no year is visited then. A cancel during the page load
// ends discovery quietly: nothing is concluded from a page that was not waited for.
#include "acquire/year_discovery.h"

#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "acquire/site_listing.h"
#include "acquire/year_sync.h"
#include "support/errors.h"
#include "support/files.h"

namespace arl {

void DiscoverYears(Session& s) {
  const std::string indexUrl = s.Options().indexUrl;
  s.SetStatus(indexUrl + " にアクセス");
  s.progress.Report(ProgressPhase::Discovery, 0, 0, indexUrl);
  s.browser.Navigate(indexUrl);
  WaitForBrowser(s);
  if (!s.GoOn()) return;
  const std::string loadError = s.browser.LoadError();
  if (!loadError.empty())
    throw ERunError("インデックスページ " + indexUrl + " を読み込めませんでした (" + loadError + ")");
  s.SetStatus("各年度へのリンクをチェック...");

  const LineList archiveLinks = CollectArchiveLinks(s);
  s.ShowList(ListPane::Links, archiveLinks);
  if (!s.GoOn()) return;
  s.LatestYear = LatestYearOf(archiveLinks, indexUrl);

  const YearPages years = ReadYearPages(s, indexUrl);
  if (!s.GoOn()) return;
  const std::string yearBeforeLatest = std::to_string(StrToInt(s.LatestYear) - 1);
  const int yearCount = static_cast<int>(years.years.size());
  for (std::size_t i = 0; i < years.years.size(); ++i) {
    if (!s.GoOn()) return;
    const std::string& year = years.years[i];
    // Every year counts in the progress, also one passed over for its marker.
    s.progress.SetYear(static_cast<int>(i) + 1, yearCount, year);
    s.progress.Report(ProgressPhase::YearPage, 0, 0, years.pages[i]);
    const std::string yearDir = s.paths.YearArchiveDir(year);
    if (!DirectoryExists(yearDir)) CreateDir(yearDir);
    const bool marked = FileExists(s.paths.YearMarkerPath(year));
    if (marked && year != s.LatestYear && year != yearBeforeLatest) continue;
    SyncYear(s, years.pages[i], year);
  }
}

}  // namespace arl
