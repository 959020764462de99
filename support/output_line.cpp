#include "support/output_line.h"

namespace arl {

FormatSettings RunFormats(const RunOptions& options) {
  FormatSettings f;
  f.ShortDateFormat = "yyyy/mm/dd";
  f.DateSeparator = options.dateSeparator;
  f.LongTimeFormat = options.timeFormat;
  return f;
}

}  // namespace arl
