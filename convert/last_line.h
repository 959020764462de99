#pragma once
// The last line of a year file without reading the whole file: the first line gives a line length L
// (its length plus its CR LF); when the file holds at least 3L bytes the reading jumps to 2L before
// the end, and the last line read is the file's last line. This relies on the last line being less
// than twice as long as the first, which holds for the year files this program writes.
#include <string>

namespace arl {

// False when no last line can be had: the file holds at most one line. Raises EInOutError when the
// file cannot be opened or read.
bool ReadLastLine(const std::string& path, std::string& line);

// True when the file's last byte ends a line (LF); a file cut off in the middle of a line is not.
bool EndsWithLineEnd(const std::string& path);

}  // namespace arl
