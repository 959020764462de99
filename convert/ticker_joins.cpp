#include "convert/ticker_joins.h"

namespace arl {

// The ticker's first line of a day file is where its overlap key is looked for: anywhere in the
// year file for its first day file of the call, in the last day's worth of lines after that.
void TickerJoins::StartDay(std::size_t ticker, const TickerLines& lines, const DayRef& day) {
  TickerRun& r = runs_[ticker];
  if (r.lastDay == day.number) return;
  r.lastDay = day.number;
  const std::string& key = lines.firstKey;
  auto hit = r.hadLines ? r.out->FindInWindow(key) : r.out->FindInWhole(key);
  r.hadLines = true;
  if (hit) {
    r.logs->push_back(day.name + " " + std::to_string(day.before + lines.firstIndex) + "行目にて" + r.ticker +
                      "の" + key + "分が\r\n" + hit->line + "\r\nと被ったので、そこから再生成します");
    r.out->CutAt(hit->offset);
  }
}

void TickerJoins::JoinLocked(std::size_t ticker, TickerLines& lines, const DayRef& day) {
  if (lines.empty()) return;
  StartDay(ticker, lines, day);
  runs_[ticker].out->AppendLines(lines.bytes.view(), lines.starts, lines.irregularEnd);
}

void TickerJoins::JoinPendingLocked(std::size_t ticker) {
  if (pending_[ticker] == 0) return;
  for (Waiting& part : waiting_) JoinLocked(ticker, (*part.lines)[ticker], part.day);
  pending_[ticker] = 0;
}

void TickerJoins::Lend(std::size_t ticker, TickerLines& lines, const DayRef& day) {
  std::lock_guard<std::mutex> lock(locks_[ticker]);
  JoinPendingLocked(ticker);
  StartDay(ticker, lines, day);
  // The staging is empty: the piece's lines are the ticker's first.
  runs_[ticker].out->Lend(lines.bytes, lines.starts);
  lines.lent = true;
}

void TickerJoins::Join(std::size_t ticker, TickerLines& lines, const DayRef& day) {
  std::lock_guard<std::mutex> lock(locks_[ticker]);
  YearOutput& out = *runs_[ticker].out;
  if (lines.lent) {
    out.TakeBack(lines.bytes, lines.starts, lines.irregularEnd);
    lines.lent = false;
  } else {
    JoinPendingLocked(ticker);
    JoinLocked(ticker, lines, day);
  }
  out.Flush();
}

void TickerJoins::SetPending(std::vector<Waiting> parts) {
  waiting_ = std::move(parts);
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    pending_[i] = 0;
    for (const Waiting& part : waiting_)
      if (!(*part.lines)[i].empty()) pending_[i] = 1;
  }
}

void TickerJoins::JoinPendingOf(std::size_t ticker) {
  std::lock_guard<std::mutex> lock(locks_[ticker]);
  if (pending_[ticker] == 0) return;
  JoinPendingLocked(ticker);
  runs_[ticker].out->Flush();
}

void TickerJoins::JoinPending(std::size_t first, std::size_t step) {
  for (std::size_t i = first; i < runs_.size(); i += step) JoinPendingOf(i);
}

void TickerJoins::JoinPendingFromBack() {
  for (std::size_t i = runs_.size(); i-- > 0;) JoinPendingOf(i);
}

}  // namespace arl
