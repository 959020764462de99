// One year's synchronisation: up to four passes over the year's page, each fetching what is missing
// on disk, then the append (latest year) or the rebuild of the year's currency year files, and the
// year marker. Nothing is journalled: every pass works out afresh what is missing.
#include "acquire/year_sync.h"

#include <algorithm>

#include "acquire/archive_download.h"
#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "acquire/site_listing.h"
#include "convert/cross_check.h"
#include "convert/currency_update.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/files.h"

namespace arl {

namespace {

constexpr int kPasses = 4;
const std::string kCrLf = "\r\n";

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
    converted = UpdateCurrencyYearFiles(s, dayFiles, year);
  } catch (...) {
    aside.Restore();
    throw;
  }
  if (converted) {
    aside.Drop();
  } else {
    aside.Restore();
  }
  s.ShowList(ListPane::Log, {});
  if (!converted) {
    const std::string failed = year + "年の各通貨への分割・マージ処理に失敗しました。";
    if (s.GoOn()) s.outcome.YearFailed(year, failed);  // a cancel is no failure
    s.AddLog(failed + kCrLf + "※次回実行時にこの年は自動的に再チャレンジします" + kCrLf +
             "気にせず続きを実行します。");
    return false;
  }
  SaveLines(s.paths.YearMarkerPath(year), LineList{});
  s.outcome.YearCompleted(year);
  s.AddLog(year + "年の各通貨への分割・マージ処理に成功しました。");
  return true;
}

// A year that cannot be finished in this run: counted, logged, and visited again at the next run.
bool YearFails(Session& s, const std::string& year, const std::string& reason) {
  s.outcome.YearFailed(year, reason);
  s.AddLog(reason + kCrLf + "※次回実行時にこの年は自動的に再チャレンジします");
  return false;
}

// What the year's page says. A page that failed says nothing: no day may be taken as present, and no
// marker written, on the strength of it. Empty `links` with true: the year's days are not listed
// yet on the index page, which is no failure.
bool ReadYearPage(Session& s, const std::string& pageUrl, const std::string& year, LineList& links) {
  const std::string loadError = s.browser.LoadError();
  if (!loadError.empty())
    return YearFails(s, year, year + "年のページ " + pageUrl + " を読み込めませんでした (" + loadError + ")");
  links = CollectYearLinks(s, year);
  if (!links.empty() || !s.GoOn()) return true;
  // A year of the archive always has days: its own page without any has changed its layout.
  if (pageUrl != s.Options().indexUrl)
    return YearFails(
        s, year,
        year + "年のページ " + pageUrl + " に" + year +
            "年の日ごとのアーカイブへのリンクがありません (サイトのレイアウトが変わった可能性があります)");
  s.AddLog(year + "年の日はまだインデックスページに載っていないので、次回また確認します");
  return true;
}

// Everything that may raise; the caller turns any error into a false result.
bool SyncYearGuarded(Session& s, const std::string& pageUrl, const std::string& year) {
  const int retryLimit = s.Options().retryLimit;
  const std::string yearDir = s.paths.YearArchiveDir(year);
  const std::string marker = s.paths.YearMarkerPath(year);
  LineList onDisk;
  for (int passesLeft = kPasses;;) {
    s.AddLog(year + "年のzipファイルをチェックします (" + pageUrl + "にアクセス)");
    s.SetStatus(pageUrl + " にアクセス");
    s.progress.Report(ProgressPhase::YearPage, 0, 0, pageUrl);
    s.browser.Navigate(pageUrl);
    WaitForBrowser(s);
    if (!s.GoOn()) return false;
    s.ShowList(ListPane::Log, {});
    s.ShowList(ListPane::Links, {});
    ListFiles(yearDir, onDisk);
    DayFilesToArchiveNames(onDisk);
    LineList yearLinks;
    if (!ReadYearPage(s, pageUrl, year, yearLinks)) return false;
    // After a cancel the collection is empty: that must not pass for a complete year.
    if (!s.GoOn()) return false;
    if (yearLinks.empty()) return false;  // not listed yet: nothing to fetch, nothing to mark
    DropLinksOnDisk(yearLinks, onDisk);
    // Days are missing: the year is complete no more, before the first of them lands on disk. A run
    // killed after extracting one would otherwise find it on disk and the old marker still there,
    // and the day would never be converted.
    if (!yearLinks.empty() && FileExists(marker)) DeleteFile(marker);
    const std::string problem = DownloadMissingArchives(s, yearLinks, retryLimit);
    if (!s.GoOn()) return false;  // cancelled between archives: no further pass over the page
    if (yearLinks.empty()) break;
    if (--passesLeft <= 0) {
      const std::string failed = year + "年のzipファイルのダウンロードと解凍に何故か失敗しました。";
      s.outcome.YearFailed(year, failed + (problem.empty() ? "" : " (" + problem + ")"));
      s.AddLog(failed + kCrLf + "時間を置いてやり直してみてください");
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
    if (CrossCheckCurrencies(s, onDisk)) {
      // A rebuild of the year killed after its year files were written (in its bars) is not done
      // again: what it left aside goes here.
      YearOutputsAside::DropLeftOver(s, year);
      s.outcome.YearCompleted(year);
      return true;
    }
    if (!s.GoOn()) return false;  // cancelled, not failed: keep the year files for the next run
    s.AddLog(year + "年の追記に失敗したか、初回の追記でファイルがないので" + kCrLf + "念の為" + year +
             "年の頭から全て新規に作り直します" + kCrLf + "※ちょっと時間かかります");
  }
  return RebuildYear(s, year, yearDir);
}

}  // namespace

bool SyncYear(Session& s, const std::string& pageUrl, const std::string& year) {
  try {
    return SyncYearGuarded(s, pageUrl, year);
  } catch (const EDiskFull&) {
    throw;  // ends the run: every further year would fail alike
  } catch (const std::exception& e) {
    // The error's text says why the year failed this time.
    try {
      return YearFails(s, year, year + "年の処理中にエラーが発生しました (" + std::string(e.what()) + ")");
    } catch (const std::exception&) {
      return false;  // the log file itself failed; the summary still names the year
    }
  }
}

}  // namespace arl
