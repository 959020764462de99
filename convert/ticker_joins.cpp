#include "convert/ticker_joins.h"

namespace arl {

// The ticker's first line of a day file is where its overlap key is looked for: anywhere in the
// year file for its first day file of the call, in the last day's worth of lines after that.
void TickerJoins::JoinLocked(std::size_t ticker, TickerLines& lines, const DayRef& day) {
  if (lines.empty()) return;
  TickerRun& r = runs_[ticker];
  if (r.lastDay != day.number) {
    r.lastDay = day.number;
    const std::string& key = lines.firstKey;
    auto hit = r.hadLines ? r.out->FindInWindow(key) : r.out->FindInWhole(key);
    r.hadLines = true;
    if (hit) {
      r.logs->push_back(day.name + " " + std::to_string(day.before + lines.firstIndex) + "行目にて" +
                        r.ticker + "の" + key + "分が\r\n" + hit->line +
                        "\r\nと被ったので、そこから再生成します");
      r.out->CutAt(hit->offset);
    }
  }
  r.out->AppendLines(lines.bytes.view(), lines.starts, lines.irregularEnd);
}

void TickerJoins::Join(std::size_t ticker, TickerLines& lines, const DayRef& day) {
  std::lock_guard<std::mutex> lock(locks_[ticker]);
  if (pending_[ticker] != nullptr) {
    JoinLocked(ticker, *pending_[ticker], pendingDay_);
    pending_[ticker] = nullptr;
  }
  JoinLocked(ticker, lines, day);
  runs_[ticker].out->Flush();
}

void TickerJoins::SetPending(std::vector<TickerLines>& lines, DayRef day) {
  for (std::size_t i = 0; i < lines.size(); ++i) pending_[i] = lines[i].empty() ? nullptr : &lines[i];
  pendingDay_ = std::move(day);
}

void TickerJoins::JoinPending(std::size_t first, std::size_t step) {
  for (std::size_t i = first; i < runs_.size(); i += step) {
    std::lock_guard<std::mutex> lock(locks_[i]);
    if (pending_[i] == nullptr) continue;
    JoinLocked(i, *pending_[i], pendingDay_);
    pending_[i] = nullptr;
    runs_[i].out->Flush();
  }
}

}  // namespace arl
