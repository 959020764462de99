#pragma once
// Finding the overlap key in a whole year file: the first line, in file order, that contains the
// key. A year file this program wrote is in time order and every line carries its date at a fixed
// place, so the search reads backwards from the end and stops at the first line dated before the
// key; a line that breaks that shape, or dates that run backwards, send it to a plain forward scan
// from the start, which is always right. Read failures raise EInOutError.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace arl {

struct OverlapHit {
  std::int64_t offset = 0;  // first byte of the line
  std::string line;         // without its line end
};

struct YearLineShape {
  std::string head;  // the ticker column with its comma, or empty
  char dateSeparator = '/';
};

// Searches the first `size` bytes of the open file.
std::optional<OverlapHit> FindOverlapInFile(int fd, std::int64_t size, std::string_view key,
                                            const YearLineShape& shape);

// The plain rule: the first line from the start containing the key.
std::optional<OverlapHit> FindOverlapForward(int fd, std::int64_t size, std::string_view key);

}  // namespace arl
