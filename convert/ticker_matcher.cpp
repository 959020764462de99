#include "convert/ticker_matcher.h"

#include <algorithm>
#include <cstring>

namespace arl {

TickerMatcher::TickerMatcher(const LineList& tickers) : tickers_(tickers) {
  for (const char* c = "0123456789.,-+ \t"; *c; ++c) safe_[static_cast<unsigned char>(*c)] = true;
  for (int i = 0; i < static_cast<int>(tickers_.size()); ++i) {
    const std::string& t = tickers_[static_cast<std::size_t>(i)];
    if (t.empty()) continue;
    // A ticker without a comma and with a byte outside the safe set can neither cross the first
    // comma nor fit in a rest made of safe bytes only.
    const bool hasUnsafe =
        std::any_of(t.begin(), t.end(), [this](char c) { return !safe_[static_cast<unsigned char>(c)]; });
    if (hasUnsafe && t.find(',') == std::string::npos)
      fieldBound_.push_back(i);
    else
      anywhere_.push_back(i);
  }
}

void TickerMatcher::SearchAll(std::string_view line, std::vector<int>& out) const {
  out.clear();
  for (int i = 0; i < static_cast<int>(tickers_.size()); ++i) {
    const std::string& t = tickers_[static_cast<std::size_t>(i)];
    if (!t.empty() && line.find(t) != std::string_view::npos) out.push_back(i);
  }
}

const std::vector<int>& TickerMatcher::MatchesOfFirstField(std::string_view field) {
  if (lastMatches_ != nullptr && field == lastField_) return *lastMatches_;
  std::string key(field);
  auto it = byFirstField_.find(key);
  if (it == byFirstField_.end()) {
    std::vector<int> found;
    for (int i : fieldBound_)
      if (field.find(tickers_[static_cast<std::size_t>(i)]) != std::string_view::npos) found.push_back(i);
    it = byFirstField_.emplace(key, std::move(found)).first;
  }
  lastField_ = std::move(key);
  lastMatches_ = &it->second;
  return it->second;
}

const std::vector<int>& TickerMatcher::Match(std::string_view line) {
  ScannedLine scanned;
  std::size_t pos = 0;
  std::string_view rest = line;
  // Line ends do not occur inside `line`; scan it as a whole line.
  if (!ScanNextLine(rest, pos, scanned) || scanned.text.size() != line.size()) {
    SearchAll(line, result_);
    return result_;
  }
  return Match(scanned);
}

const std::vector<int>& TickerMatcher::Match(const ScannedLine& line) {
  return Match(line.text, line.commaCount > 0 ? line.commas[0] : line.text.size(), line.restSafe);
}

const std::vector<int>& TickerMatcher::Match(std::string_view line, std::size_t restStart, bool restSafe) {
  if (!restSafe) {
    SearchAll(line, result_);
    return result_;
  }
  const std::vector<int>& bound = MatchesOfFirstField(line.substr(0, restStart));
  if (anywhere_.empty()) return bound;
  result_ = bound;
  for (int i : anywhere_)
    if (line.find(tickers_[static_cast<std::size_t>(i)]) != std::string_view::npos) result_.push_back(i);
  std::sort(result_.begin(), result_.end());
  return result_;
}

}  // namespace arl
