#pragma once
// The lines of the year files and the merge files, the program's output, in one place:
//
//   [ticker ","] date "," time "," open "," high "," low "," close CR LF
//
// The ticker column is there when the options keep it; the date is printed as yyyy/mm/dd with the
// chosen separator in place of "/", the time with the chosen time format. The conversion writes
// these lines (its hot loop builds them with AppendYearLine from the same constants) and the merge
// copies and reads them; both take every rule from here. Lines from elsewhere may end in LF or CR
// alone: readers accept any of the three, writers always write CR LF.
#include <cstddef>
#include <string>
#include <string_view>

#include "support/datetime.h"
#include "support/run_options.h"

namespace arl {

inline constexpr char kLineEnd[] = "\r\n";
inline constexpr std::size_t kLineEndBytes = sizeof(kLineEnd) - 1;

// The formats the lines' dates and times are printed and read with, fixed for the whole run: short
// date "yyyy/mm/dd", the chosen date separator, the time format as typed, time separator ":".
FormatSettings RunFormats(const RunOptions& options);

// The ticker column with its comma, as it starts every line of the ticker, or "" without it.
inline std::string LineHead(const RunOptions& options, std::string_view ticker) {
  return options.keepTicker ? std::string(ticker) + "," : std::string();
}

// The index of a line's date field; its time is the field after it.
inline int DateFieldIndex(const RunOptions& options) { return options.keepTicker ? 1 : 0; }

// The length of the line made of `head`, the "date,time" key, a comma, the prices and the line end.
inline std::size_t OutputLineLength(std::string_view head, std::string_view key, std::string_view prices) {
  return head.size() + key.size() + 1 + prices.size() + kLineEndBytes;
}

}  // namespace arl
