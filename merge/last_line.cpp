#include "merge/last_line.h"

#include <vector>

#include "support/errors.h"
#include "support/text.h"

namespace arl {

std::string ReadLastLine(TextReader& file, std::string_view firstLine, std::int64_t size) {
  const std::int64_t lineLength = static_cast<std::int64_t>(firstLine.size()) + 2;
  std::string last(firstLine);
  std::string_view line;
  if (size < 3 * lineLength) {
    while (file.ReadLine(line)) last.assign(line);
    return last;
  }
  for (std::int64_t window = 2 * lineLength;; window *= 2) {
    const std::int64_t from = window >= size ? 0 : size - window;
    SeekTextFile(file, from);
    int linesRead = 0;
    while (file.ReadLine(line)) {
      last.assign(line);
      ++linesRead;
    }
    // Only a line read after an earlier one surely starts at a line's beginning.
    if (from == 0 || linesRead >= 2) return last;
  }
}

DateTime LineDate(std::string_view line, int dateField, const FormatSettings& formats, bool checkTime) {
  std::vector<std::string_view> fields;
  std::string storage;
  SplitCommaText(line, fields, storage);
  const std::size_t needed = static_cast<std::size_t>(dateField) + (checkTime ? 2 : 1);
  if (fields.size() < needed) {
    throw EListError("List index out of bounds (" + std::to_string(needed - 1) + ")");
  }
  const DateTime date = StrToDate(fields[static_cast<std::size_t>(dateField)], formats);
  if (checkTime) StrToTime(fields[static_cast<std::size_t>(dateField) + 1], formats);
  return date;
}

}  // namespace arl
