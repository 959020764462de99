#pragma once
// Why bars cannot be made, as a value the caller logs: a time format that cannot be read back, or the
// first line of a 1-minute file that cannot be read, named by file and line number with the line.
#include <cstdint>
#include <string>

#include "convert/minute_line.h"
#include "support/run_options.h"

namespace arl {

struct BarFault {
  LineFault kind = LineFault::None;
  std::string timeFormat;      // TimeFormat: the format as typed
  std::string file;            // the file's name as the caller gave it
  std::int64_t fileStart = 0;  // the offset in the file where reading began
  std::int64_t line = 0;       // counted from there, the first line being 1
  std::string text;            // the line, cut to 120 bytes

  // The log line: what cannot be made and why, in the words of the run's other log lines.
  std::string Message() const;
};

// "" when bars can be made from the lines that the options write, else the log line saying why not
// (the time format cannot be read back): for one check per run rather than one per currency.
std::string BarFormatProblem(const RunOptions& options);

}  // namespace arl
