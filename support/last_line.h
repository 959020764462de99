#pragma once
// The last line of a large text file (a year file, a merge file) without reading the file whole.
// The first line's length plus the line end is taken as a line's length L; from a file of at least
// 3L bytes only the last 2L bytes are read. When those bytes hold no line break but the final one,
// the line read may be the tail of a line longer than 2L, so the window is doubled until a whole
// line is certain: a line read after an earlier one, or a window that reaches the file's start.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/files.h"

namespace arl {

// The last line of `file`, which is open with its first line read. A file of one line gives its
// first line. Raises EInOutError when the file cannot be read.
std::string ReadLastLine(TextReader& file, std::string_view firstLine, std::int64_t size);

// The same by path; false when the file holds no second line (it is empty or has one line). Raises
// EInOutError when the file cannot be opened or read.
bool ReadLastLine(const std::string& path, std::string& line);

// True when the file's last byte ends a line (LF); a file cut off in the middle of a line is not.
bool EndsWithLineEnd(const std::string& path);

}  // namespace arl
