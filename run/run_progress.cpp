#include "run/run_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace arl {

namespace {

std::string Count(const RunProgress& p, const char* unit) {
  return std::to_string(p.done) + "/" + std::to_string(p.total) + " " + unit;
}

// MB as the run's summary counts them (1024 × 1024 bytes).
std::string Rate(double bytesPerSecond) {
  char text[32];
  const double mb = bytesPerSecond / (1024.0 * 1024.0);
  if (mb >= 1.0)
    std::snprintf(text, sizeof text, "%.1f MB/s", mb);
  else
    std::snprintf(text, sizeof text, "%.0f KB/s", bytesPerSecond / 1024.0);
  return text;
}

std::string What(const RunProgress& p) {
  switch (p.phase) {
    case ProgressPhase::Discovery:
      return "年の一覧を確認中";
    case ProgressPhase::YearPage:
      return "ページを確認中";
    case ProgressPhase::Download:
      return "ダウンロード " + Count(p, "件") + (p.bytesPerSecond > 0 ? " " + Rate(p.bytesPerSecond) : "");
    case ProgressPhase::Convert:
      return "変換 " + Count(p, "日");
    case ProgressPhase::CrossCheck:
      return "通貨間チェック " + Count(p, "通貨");
    case ProgressPhase::Merge:
      return "マージ " + Count(p, "通貨");
  }
  return {};
}

}  // namespace

bool YearBound(ProgressPhase phase) {
  return phase != ProgressPhase::Discovery && phase != ProgressPhase::Merge;
}

std::string ApproxDuration(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 1.0)));
  if (whole < 60) return "約 " + std::to_string((whole + 4) / 5 * 5) + "秒";
  const long long minutes = (whole + 59) / 60;
  if (minutes < 60) return "約 " + std::to_string(minutes) + "分";
  const long long hours = minutes / 60, rest = minutes % 60;
  return "約 " + std::to_string(hours) + "時間" + (rest == 0 ? "" : std::to_string(rest) + "分");
}

std::string ProgressText(const RunProgress& p) {
  std::string text;
  if (!p.year.empty()) {
    text = p.year + "年";
    if (p.yearIndex > 0) text += "(" + std::to_string(p.yearIndex) + "/" + std::to_string(p.yearCount) + ")";
    text += " ";
  }
  text += What(p);
  if (p.secondsLeft >= 0 && p.done < p.total) text += " 残り" + ApproxDuration(p.secondsLeft);
  return text;
}

}  // namespace arl
