#include "run/run_outcome.h"

#include <algorithm>
#include <cstdio>

namespace arl {

namespace {

// A failure is one line of the summary, whatever line breaks its reason held.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace

void RunOutcome::ArchiveDownloaded(std::int64_t bytes) {
  ++archives_;
  archiveBytes_ += bytes;
}

void RunOutcome::YearCompleted(const std::string& year) {
  if (std::find(years_.begin(), years_.end(), year) == years_.end()) years_.push_back(year);
  std::erase_if(failures_, [&](const Failure& f) { return f.subject == "year:" + year; });
}

void RunOutcome::YearFileUpdated(const std::string& ticker, const std::string& year) {
  yearFiles_.insert(ticker + "/" + year);
}

void RunOutcome::MergeFileWritten(const std::string& ticker) { merges_.insert(ticker); }

void RunOutcome::Fail(const std::string& subject, const std::string& line) {
  const bool known =
      std::any_of(failures_.begin(), failures_.end(), [&](const Failure& f) { return f.subject == subject; });
  if (!known) failures_.push_back({subject, OneLine(line)});
}

void RunOutcome::YearFailed(const std::string& year, const std::string& reason) {
  Fail("year:" + year, reason);
}
void RunOutcome::TickerFailed(const std::string& ticker, const std::string& reason) {
  Fail("ticker:" + ticker, reason);
}
void RunOutcome::MergeFailed(const std::string& ticker, const std::string& reason) {
  Fail("merge:" + ticker, reason);
}
void RunOutcome::BarsFailed(const std::string& ticker, const std::string& reason) {
  Fail("bars:" + ticker, reason);
}
void RunOutcome::RunFailed(const std::string& reason) { Fail("run", reason); }

bool RunOutcome::AnyYearFailed() const {
  return std::any_of(failures_.begin(), failures_.end(),
                     [](const Failure& f) { return f.subject.starts_with("year:"); });
}

bool RunOutcome::TickerHasFailed(const std::string& ticker) const {
  return std::any_of(failures_.begin(), failures_.end(),
                     [&](const Failure& f) { return f.subject == "ticker:" + ticker; });
}

std::string RunOutcome::Summary() const {
  std::string years;
  for (const auto& year : years_) years += (years.empty() ? "" : ", ") + year;
  std::string text = "----- 今回の実行結果 -----\r\n";
  text += "ダウンロードしたアーカイブ : " + std::to_string(archives_) + " 件 (" + Megabytes(archiveBytes_) +
          ")\r\n";
  text += "完了した年 : " + (years.empty() ? std::string("なし") : years) + "\r\n";
  text += "更新した通貨年ファイル : " + std::to_string(yearFiles_.size()) + " 件\r\n";
  text += "書き出したマージファイル : " + std::to_string(merges_.size()) + " 件\r\n";
  if (failures_.empty()) return text + "失敗 : なし";
  text += "失敗 : " + std::to_string(failures_.size()) + " 件";
  for (const auto& f : failures_) text += "\r\n× " + f.line;
  return text;
}

}  // namespace arl
