#pragma once
// The dates that the merge reads from a line of a year file or a merge file; the last line itself
// comes from support/last_line.h.
#include <string_view>

#include "support/datetime.h"
#include "support/last_line.h"

namespace arl {

// The date field of a year-file or merge-file line (DateFieldIndex of the options), read as a date
// with the run's formats. With `checkTime` the field after it must read as a time. Raises
// EConvertError for a text that does not read, EListError for too few fields.
DateTime LineDate(std::string_view line, int dateField, const FormatSettings& formats, bool checkTime);

}  // namespace arl
