#pragma once
// CountYearFile: what one currency year file holds, counted in one pass over its bytes: lines, the
// first and last date and time, the dates with data and the weekdays without. The file is read in
// large pieces with plain reads and never written, locked or left open: a run may append to it
// meanwhile, and what it has not finished yet shows as a torn last line. Only the date and time of
// each line are read; a line whose date bytes equal the line before's is not parsed again.
// A file that is missing, empty, torn, or holds lines that do not parse is counted as far as it can
// be and described in the result; nothing raises.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/inventory_line_stamp.h"

namespace arl {

// A line's date (day number, see ReadLineDate) and time (seconds of the day); day kNoDay: none.
struct LineStamp {
  std::int64_t day = kNoDay;
  int second = 0;
};

struct YearFileCount {
  bool present = false;           // the file exists
  std::string readError;          // it exists but could not be read through (the system's text)
  std::int64_t bytes = 0;         // bytes read
  std::int64_t lines = 0;         // whole lines, each ending in LF (CR LF as written)
  std::int64_t badLines = 0;      // whole lines whose date or time does not parse
  std::int64_t firstBadLine = 0;  // the number (from 1) of the first of them
  std::int64_t tornBytes = 0;     // bytes behind the last line end: a line cut off or being written
  bool timesRead = false;         // the time format could be read back, so first and last are known
  LineStamp first, last;          // of the first and last lines that parse
  std::int64_t lastDay = kNoDay;  // the latest date of a line that parses
  std::int64_t daysWithData = 0;  // distinct dates with at least one line that parses
  // Monday to Friday from 1 January of the file's year to lastDay without any line, in date order.
  std::vector<std::int64_t> weekdaysWithoutData;
};

// Hears of the lines of each date: once per run of lines with the same date, so a date the file
// holds in two places is heard of twice. Only lines that parse count.
using DayLinesFn = std::function<void(std::int64_t day, std::int64_t lines)>;

YearFileCount CountYearFile(const std::string& path, int year, const StampTimeReader& times,
                            const DayLinesFn& dayLines = {});

// The date of a day number as "yyyy-mm-dd", and with a time as "yyyy-mm-dd hh:mm:ss".
std::string DayText(std::int64_t day);
std::string StampText(const LineStamp& stamp);

}  // namespace arl
