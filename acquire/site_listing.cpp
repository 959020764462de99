// The site's links as the run and the report read them. The filters are the site's layout: day
// archives are "free_forex_quotes/.../ddmmyy.zip", yearly pages "forex_history_arhiv_<year>.html".
#include "acquire/site_listing.h"

#include <string_view>
#include <unordered_set>

#include "acquire/link_address.h"
#include "acquire/page_access.h"
#include "support/errors.h"
#include "support/regexp.h"

namespace arl {

namespace {

constexpr std::string_view kYearPattern = "m#\\d{4}#";

[[noreturn]] void NoArchiveLinks(const std::string& indexUrl, const char* what) {
  throw ERunError("インデックスページ " + indexUrl + " に" + what +
                  "がありません (サイトのレイアウトが変わった可能性があります)");
}

}  // namespace

LineList CollectArchiveLinks(Session& s) { return CollectPageLinks(s, "free_forex_quotes,.zip"); }

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

LineList CollectYearLinks(Session& s, const std::string& year) {
  const LineList pageLinks = CollectPageLinks(s, "zip");
  // The log pane shows the page's links for a moment, as a sign of life on a long page.
  s.ShowList(ListPane::Log, pageLinks);
  const std::string segment = "/" + year + "/";
  LineList links;
  std::unordered_set<std::string> seen;  // a page of many thousand links must not cost a quadratic search
  for (const auto& line : pageLinks) {
    if (AddressPath(line).find(segment) == std::string_view::npos) continue;
    if (seen.insert(line).second) links.push_back(line);
  }
  s.ShowList(ListPane::Log, {});
  return links;
}

}  // namespace arl
