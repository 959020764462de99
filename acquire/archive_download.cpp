#include "acquire/archive_download.h"

#include <string_view>

#include "acquire/downloader.h"
#include "acquire/link_address.h"
#include "arl/version.h"
#include "support/files.h"
#include "support/regexp.h"

namespace arl {

namespace {

constexpr std::string_view kArchiveNamePattern = "m#\\d{6}\\.zip#";
constexpr std::string_view kYearSegmentPattern = "m#/\\d{4}/#";

// Where one link's archive goes. The matcher raises "no strings now" for a link without a six-digit
// archive name or without a four-digit path segment; that ends the caller's year.
struct ArchiveTarget {
  std::string dayName;
  std::string directory;  // ends in "/"
  std::string path;
};

ArchiveTarget TargetOf(const Session& s, const std::string& link) {
  TBRegExp& re = RegExpInstance();
  re.Match(kArchiveNamePattern, link);
  const std::string archiveName = re.MatchedText(0);
  ArchiveTarget t;
  t.dayName = DayFileName(archiveName);
  // The year segment is looked for behind the host, so that a port is never taken for a year.
  re.Match(kYearSegmentPattern, AddressPath(link));
  const std::string linkYear = re.MatchedText(0).substr(1, 4);
  t.directory = s.paths.YearArchiveDir(linkYear);
  t.path = t.directory + archiveName;
  return t;
}

std::string RetryLimitMessage(int retryLimit) {
  const std::string crlf = "\r\n";
  return "DLと解凍のリトライが指定回数(" + std::to_string(retryLimit) + "回)に達したので停止します" + crlf +
         "恐らく「ネットへの接続が切断されている」か「Rateloomが重い or 落ちてる」だと思われます" + crlf +
         "ひょっとすると解凍やリネームでのエラーかも知れませんが、そうなると原因不明です" + crlf +
         "ともかく、時間を置いてから再度「実行」ボタンを押してください。" + crlf +
         "直前の成功したファイルの続きから自動的に再開します";
}

}  // namespace

std::string DownloadMissingArchives(Session& s, const LineList& yearLinkList, int retryLimit) {
  std::string lastProblem;
  std::size_t index = 0;
  int failures = 0;  // failed downloads since the last success of this pass
  // The progress counts the archives of this pass and the bytes they brought, the one in hand too.
  const int total = static_cast<int>(yearLinkList.size());
  std::int64_t passBytes = 0;
  std::string inHand;
  const auto progress = [&](std::int64_t received) {
    s.progress.Report(ProgressPhase::Download, static_cast<int>(index), total, inHand, passBytes + received);
  };
  s.downloader.onBytes = progress;
  struct StopListening {
    Downloader& downloader;
    ~StopListening() { downloader.onBytes = nullptr; }
  } stopListening{s.downloader};

  while (index < yearLinkList.size()) {
    if (!s.GoOn()) return lastProblem;
    const std::string& link = yearLinkList[index];
    const ArchiveTarget target = TargetOf(s, link);
    if (!DirectoryExists(target.directory)) CreateDir(target.directory);
    inHand = target.path.substr(target.directory.size());
    progress(0);
    if (s.downloader.Download(link, target.path)) {
      const std::int64_t size = FileSizeByName(target.path);
      s.outcome.ArchiveDownloaded(size);
      passBytes += size;
      s.AddLog(link + " DL OK.");
      ++index;
      failures = 0;
      if (!ExtractAndRename(s, target.path, target.dayName))
        lastProblem = target.dayName + " を作れませんでした";
    } else {
      lastProblem = s.downloader.LastError();
      s.AddLog(link + " DL error !" + (lastProblem.empty() ? "" : " (" + lastProblem + ")"));
      ++failures;
    }
    // Tested after every attempt, so a limit of 0 or less stops even after a success.
    if (failures >= retryLimit) {
      s.MessageBox(RetryLimitMessage(retryLimit), kProductCaption);
      return lastProblem;
    }
  }
  if (total > 0) s.progress.Report(ProgressPhase::Download, total, total, {}, passBytes);
  return lastProblem;
}

}  // namespace arl
