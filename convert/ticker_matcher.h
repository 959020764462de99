#pragma once
// TickerMatcher: which currencies of the list a day-file line belongs to. A line belongs to every
// ticker it contains anywhere (case-sensitive substring; the empty ticker is in no line), so "USD"
// takes the lines of many pairs. The common line - its first field a ticker, the rest digits and
// punctuation - is answered from a cache keyed by the first field; anything else is searched in full.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/scanned_line.h"
#include "support/text.h"

namespace arl {

class TickerMatcher {
 public:
  explicit TickerMatcher(const LineList& tickers);

  // Indices into the ticker list, ascending, of the tickers contained in `line`. The reference stays
  // valid until the next call.
  const std::vector<int>& Match(std::string_view line);
  // The same for a scanned line, without looking at its bytes again.
  const std::vector<int>& Match(const ScannedLine& line);
  // True when every ticker has a byte that digits and punctuation do not, so that a line whose rest
  // is digits and punctuation belongs to the tickers of its first field only.
  bool OnlyFieldBound() const { return anywhere_.empty(); }

 private:
  const std::vector<int>& Match(std::string_view line, std::size_t firstFieldEnd, bool restSafe);
  const std::vector<int>& MatchesOfFirstField(std::string_view field);
  void SearchAll(std::string_view line, std::vector<int>& out) const;

  LineList tickers_;
  std::vector<int> fieldBound_;  // tickers that can only lie inside the first field
  std::vector<int> anywhere_;    // tickers that may lie in the digits and commas as well
  bool safe_[256] = {};          // bytes of the line's rest that no field-bound ticker is made of only
  std::unordered_map<std::string, std::vector<int>> byFirstField_;
  std::string lastField_;
  const std::vector<int>* lastMatches_ = nullptr;
  std::vector<int> result_;
};

}  // namespace arl
