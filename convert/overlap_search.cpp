#include "convert/overlap_search.h"

#include <cstring>

#include "convert/file_lines.h"

namespace arl {

namespace {

constexpr std::size_t kDateLength = 10;  // yyyy?mm?dd

bool IsDateText(std::string_view s, char sep) {
  if (s.size() != kDateLength) return false;
  for (std::size_t i = 0; i < kDateLength; ++i) {
    const bool wantSep = i == 4 || i == 7;
    if (wantSep ? s[i] != sep : (s[i] < '0' || s[i] > '9')) return false;
  }
  return true;
}

// The date of a line of the expected shape: head, a date, a comma, and the separator nowhere else.
// Only in such a line can the key (which starts with a date) stand nowhere but at the date.
bool DateOfLine(std::string_view line, const YearLineShape& shape, std::string_view& date) {
  if (line.substr(0, shape.head.size()) != shape.head) return false;
  std::string_view rest = line.substr(shape.head.size());
  if (rest.size() <= kDateLength || rest[kDateLength] != ',' ||
      !IsDateText(rest.substr(0, kDateLength), shape.dateSeparator))
    return false;
  if (rest.find(shape.dateSeparator, kDateLength) != std::string_view::npos) return false;
  date = rest.substr(0, kDateLength);
  return true;
}

}  // namespace

std::optional<OverlapHit> FindOverlapForward(int fd, std::int64_t size, std::string_view key) {
  std::optional<OverlapHit> hit;
  if (key.empty()) return hit;
  ScanLinesForward(fd, [&](std::string_view line, std::int64_t offset) {
    if (offset >= size) return true;
    if (line.find(key) == std::string_view::npos) return false;
    hit = OverlapHit{offset, std::string(line)};
    return true;
  });
  return hit;
}

std::optional<OverlapHit> FindOverlapInFile(int fd, std::int64_t size, std::string_view key,
                                            const YearLineShape& shape) {
  std::optional<OverlapHit> hit;
  if (key.empty() || size == 0) return hit;
  const bool keyFits = key.size() > kDateLength && key[kDateLength] == ',' &&
                       IsDateText(key.substr(0, kDateLength), shape.dateSeparator) &&
                       key.find(shape.dateSeparator, kDateLength) == std::string_view::npos &&
                       shape.head.find(shape.dateSeparator) == std::string::npos;
  if (!keyFits) return FindOverlapForward(fd, size, key);

  const std::string_view keyDate = key.substr(0, kDateLength);
  BackwardLines lines(FileSource(fd), size);
  std::string_view line, date;
  std::string laterDate;  // the date of the line after the one in hand
  std::int64_t offset = 0;
  while (lines.Previous(line, offset)) {
    if (!DateOfLine(line, shape, date)) return FindOverlapForward(fd, size, key);
    if (!laterDate.empty() && date > std::string_view(laterDate)) return FindOverlapForward(fd, size, key);
    if (date < keyDate) break;
    if (date == keyDate && line.substr(shape.head.size()).starts_with(key))
      hit = OverlapHit{offset, std::string(line)};
    laterDate.assign(date);
  }
  return hit;
}

}  // namespace arl
