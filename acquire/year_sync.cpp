// One year's synchronisation: up to four passes over the year's page, each fetching what is missing
// on disk, then the append (latest year) or the rebuild of the year's currency year files, and the
// year marker. Nothing is journalled: every pass works out afresh what is missing.
#include "acquire/year_sync.h"

#include <algorithm>
#include <unordered_set>

#include "acquire/archive_download.h"
#include "acquire/link_address.h"
#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "convert/cross_check.h"
#include "convert/currency_update.h"
#include "support/errors.h"
#include "support/files.h"

namespace arl {

namespace {

constexpr int kPasses = 4;
const std::string kCrLf = "\r\n";

// The page's "zip" links that hold "/year/" behind the host, in page order, each address once: a day
// linked twice must not look missing after it was fetched.
LineList CollectYearLinks(Session& s, const std::string& year) {
  CollectPageLinks(s, "zip", s.host.Memo1());
  const std::string segment = "/" + year + "/";
  LineList links;
  std::unordered_set<std::string> seen;  // a page of many thousand links must not cost a quadratic search
  for (const auto& line : s.host.Memo1().Lines()) {
    if (AddressPath(line).find(segment) == std::string_view::npos) continue;
    if (seen.insert(line).second) links.push_back(line);
  }
  s.host.Memo1().Clear();
  return links;
}

// Drops every link that names a day archive already on disk (archive names, ddmmyy.zip).
void DropLinksOnDisk(LineList& links, const LineList& archiveNamesOnDisk) {
  for (const auto& name : archiveNamesOnDisk) {
    std::erase_if(links, [&name](const std::string& link) { return link.find(name) != std::string::npos; });
  }
}

bool RebuildYear(Session& s, const std::string& year, const std::string& yearDir) {
  // The old year files go aside rather than away: a cancelled or failed rebuild gives them back.
  YearOutputsAside aside(s, year);
  LineList dayFiles;
  ListFiles(yearDir, dayFiles);
  bool converted = false;
  try {
    converted = UpdateCurrencyYearFiles(s, dayFiles, yearDir, year);
  } catch (...) {
    aside.Restore();
    throw;
  }
  if (converted) {
    aside.Drop();
  } else {
    aside.Restore();
  }
  s.host.Memo1().Clear();
  if (!converted) {
    s.AddLog(year + "年の各通貨への分割・マージ処理に失敗しました。" + kCrLf +
             "※次回実行時にこの年は自動的に再チャレンジします" + kCrLf + "気にせず続きを実行します。");
    return false;
  }
  SaveLines(yearDir + kYearMarkerName, LineList{});
  s.AddLog(year + "年の各通貨への分割・マージ処理に成功しました。");
  return true;
}

// Everything that may raise; the caller turns any error into a silent false.
bool SyncYearGuarded(Session& s, const std::string& pageUrl, const std::string& year, int retryLimit) {
  const std::string yearDir = s.paths.ArchiveDir + year + "/";
  const std::string marker = yearDir + kYearMarkerName;
  LineList onDisk;
  for (int passesLeft = kPasses;;) {
    s.AddLog(year + "年のzipファイルをチェックします (" + pageUrl + "にアクセス)");
    s.SetStatus(pageUrl + " にアクセス");
    s.browser.Navigate(pageUrl);
    WaitForBrowser(s);
    s.host.Memo1().Clear();
    s.host.Memo2().Clear();
    ListFiles(yearDir, onDisk);
    DayFilesToArchiveNames(onDisk);
    LineList yearLinks = CollectYearLinks(s, year);
    // After a cancel the collection is empty: that must not pass for a complete year.
    if (!s.GoOn()) return false;
    DropLinksOnDisk(yearLinks, onDisk);
    DownloadMissingArchives(s, yearLinks, retryLimit);
    if (yearLinks.empty()) break;
    if (FileExists(marker)) DeleteFile(marker);
    if (--passesLeft <= 0) {
      s.AddLog(year + "年のzipファイルのダウンロードと解凍に何故か失敗しました。" + kCrLf +
               "時間を置いてやり直してみてください");
      return false;
    }
  }
  // Never delete a year's currency year files for a rebuild that a cancel would cut short.
  if (!s.GoOn()) return false;
  s.AddLog(year + "年のzipファイルは" + kCrLf + "全てダウンロードされているのを確認しました");
  // A marker that survived the first pass: the year was complete and nothing new came.
  if (FileExists(marker)) {
    s.AddLog("DLしていないZipファイルはありません");
    return true;
  }
  if (year == s.LatestYear) {
    if (CrossCheckCurrencies(s, onDisk)) return true;
    if (!s.GoOn()) return false;  // cancelled, not failed: keep the year files for the next run
    s.AddLog(year + "年の追記に失敗したか、初回の追記でファイルがないので" + kCrLf + "念の為" + year +
             "年の頭から全て新規に作り直します" + kCrLf + "※ちょっと時間かかります");
  }
  return RebuildYear(s, year, yearDir);
}

}  // namespace

bool SyncYear(Session& s, const std::string& pageUrl, const std::string& year) {
  // Parsed before the guarded region: a retry limit that is not a number ends the run.
  const int retryLimit = StrToInt(s.Options().EditRetryLimit);
  try {
    return SyncYearGuarded(s, pageUrl, year, retryLimit);
  } catch (...) {
    return false;  // the year is visited again at the next run
  }
}

}  // namespace arl
