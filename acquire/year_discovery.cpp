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

#include <string_view>

#include "acquire/link_address.h"
#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "acquire/year_sync.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/regexp.h"

namespace arl {

namespace {

constexpr std::string_view kYearPattern = "m#\\d{4}#";

struct YearPages {
  LineList years;  // four-digit texts
  LineList pages;  // the address of the page that links each year's day archives
};

[[noreturn]] void NoArchiveLinks(const std::string& indexUrl, const char* what) {
  throw ERunError("インデックスページ " + indexUrl + " に" + what +
                  "がありません (サイトのレイアウトが変わった可能性があります)");
}

// The first run of four digits behind the host of the page's last day-archive link.
std::string LatestYearOf(const LineList& zipLinks, const std::string& indexUrl) {
  TBRegExp& re = RegExpInstance();
  if (zipLinks.empty() || !re.Match(kYearPattern, AddressPath(zipLinks.back())))
    NoArchiveLinks(indexUrl, "日ごとのアーカイブへのリンク");
  return re.MatchedText(0);
}

YearPages ReadYearPages(Session& s, const std::string& indexUrl) {
  const LineList links = CollectPageLinks(s, "forex_history_arhiv_,.htm");
  // The yearly pages take the log pane's place until the first year clears it.
  s.ShowList(ListPane::Log, links);
  YearPages list;
  if (!s.GoOn()) return list;  // a collection cut short by a cancel
  TBRegExp& re = RegExpInstance();
  for (const auto& link : links) {
    if (!re.Match(kYearPattern, AddressPath(link))) continue;
    list.years.push_back(re.MatchedText(0));
    list.pages.push_back(link);
  }
  if (list.years.empty()) NoArchiveLinks(indexUrl, "年ごとのページへのリンク");
  // The first yearly link is the newest year with a page of its own; later years are on the index.
  const int latest = StrToInt(s.LatestYear);
  for (int year = StrToInt(list.years.front()) + 1; year <= latest; ++year) {
    list.years.push_back(std::to_string(year));
    list.pages.push_back(indexUrl);
  }
  return list;
}

}  // namespace

void DiscoverYears(Session& s) {
  const std::string indexUrl = s.Options().indexUrl;
  s.SetStatus(indexUrl + " にアクセス");
  s.browser.Navigate(indexUrl);
  WaitForBrowser(s);
  if (!s.GoOn()) return;
  const std::string loadError = s.browser.LoadError();
  if (!loadError.empty())
    throw ERunError("インデックスページ " + indexUrl + " を読み込めませんでした (" + loadError + ")");
  s.SetStatus("各年度へのリンクをチェック...");

  const LineList archiveLinks = CollectPageLinks(s, "free_forex_quotes,.zip");
  s.ShowList(ListPane::Links, archiveLinks);
  if (!s.GoOn()) return;
  s.LatestYear = LatestYearOf(archiveLinks, indexUrl);

  const YearPages years = ReadYearPages(s, indexUrl);
  if (!s.GoOn()) return;
  const std::string yearBeforeLatest = std::to_string(StrToInt(s.LatestYear) - 1);
  for (std::size_t i = 0; i < years.years.size(); ++i) {
    if (!s.GoOn()) return;
    const std::string& year = years.years[i];
    const std::string yearDir = s.paths.YearArchiveDir(year);
    if (!DirectoryExists(yearDir)) CreateDir(yearDir);
    const bool marked = FileExists(s.paths.YearMarkerPath(year));
    if (marked && year != s.LatestYear && year != yearBeforeLatest) continue;
    SyncYear(s, years.pages[i], year);
  }
}

}  // namespace arl
