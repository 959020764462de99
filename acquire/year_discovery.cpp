// Year discovery: the index page gives LatestYear (from its last zip link) and the pages of the
// single years; the years after the newest yearly page up to LatestYear are looked for on the index
// page itself. Every year without a marker is synchronised, LatestYear always, and the year just
// before LatestYear too, so that days published after its marker was written are not lost at the
// turn of the year (a marked year whose first pass finds nothing missing ends at once).
//
// An index page without zip links ends the run with EBRegExpError "no strings now", one without a
// yearly link with EListError; no year is visited then.
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

// The first run of four digits behind the link's host; raises "no strings now" without one.
std::string YearOfLink(const std::string& link) {
  TBRegExp& re = RegExpInstance();
  re.Match(kYearPattern, AddressPath(link));
  return re.MatchedText(0);
}

YearPages ReadYearPages(Session& s, const std::string& indexUrl) {
  CollectPageLinks(s, "forex_history_arhiv_,.htm", s.host.Memo1());
  YearPages list;
  TBRegExp& re = RegExpInstance();
  for (const auto& link : s.host.Memo1().Lines()) {
    if (!re.Match(kYearPattern, AddressPath(link))) continue;
    list.years.push_back(re.MatchedText(0));
    list.pages.push_back(link);
  }
  if (list.years.empty())
    throw EListError("List index out of bounds (0): the index page has no link to a year page");
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
  const std::string indexUrl = s.Options().EditURL;
  s.SetStatus(indexUrl + " にアクセス");
  s.browser.Navigate(indexUrl);
  WaitForBrowser(s);
  s.SetStatus("各年度へのリンクをチェック...");

  CollectPageLinks(s, "free_forex_quotes,.zip", s.host.Memo2());
  const LineList zipLinks = s.host.Memo2().Lines();
  s.LatestYear = YearOfLink(zipLinks.empty() ? std::string() : zipLinks.back());

  const YearPages years = ReadYearPages(s, indexUrl);
  const std::string yearBeforeLatest = std::to_string(StrToInt(s.LatestYear) - 1);
  for (std::size_t i = 0; i < years.years.size(); ++i) {
    if (!s.GoOn()) return;
    const std::string& year = years.years[i];
    const std::string yearDir = s.paths.ArchiveDir + year;
    if (!DirectoryExists(yearDir)) CreateDir(yearDir);
    const bool marked = FileExists(yearDir + "/" + kYearMarkerName);
    if (marked && year != s.LatestYear && year != yearBeforeLatest) continue;
    SyncYear(s, years.pages[i], year);
  }
}

}  // namespace arl
