#pragma once
// Reading the last line of a large text file without reading the file whole, and the dates that
// the merge reads from a line.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/datetime.h"
#include "support/files.h"

namespace arl {

// The last line of `file`, which is open with its first line read. The first line's length (plus
// its CR LF) is taken as a line's length L; from a file of at least 3L bytes only the last 2L bytes
// are read. When those bytes hold no line break but the final one, the line read may be the tail
// of a longer line, so the window is doubled until a whole line is certain. A file of one line
// gives its first line.
std::string ReadLastLine(TextReader& file, std::string_view firstLine, std::int64_t size);

// The date field of a year-file or merge-file line (field 1 when the lines carry the ticker, field
// 0 otherwise), read as a date with the run's formats. With `checkTime` the field after it must read
// as a time. Raises EConvertError for a text that does not read, EListError for too few fields.
DateTime LineDate(std::string_view line, int dateField, const FormatSettings& formats, bool checkTime);

// The date field's index for the options' ticker choice (RadioGroup1 on index 0 keeps the ticker).
inline int DateFieldIndex(int radioGroup1) { return radioGroup1 == 0 ? 1 : 0; }

}  // namespace arl
