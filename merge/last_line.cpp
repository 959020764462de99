#include "merge/last_line.h"

#include <vector>

#include "support/errors.h"
#include "support/text.h"

namespace arl {

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
