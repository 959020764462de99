#pragma once
// The conversion's fast writer of one output line (support/output_line.h has the format): the
// ticker column (or nothing), the shifted "date,time", a comma, the four prices and the line end,
// written in place by the output and by the day-part staging.
#include <cstring>
#include <string_view>

#include "convert/byte_buffer.h"
#include "support/output_line.h"

namespace arl {

// Appends the line to `out` and returns its length.
inline std::size_t AppendYearLine(ByteBuffer& out, std::string_view head, std::string_view key,
                                  std::string_view prices) {
  const std::size_t length = OutputLineLength(head, key, prices);
  char* to = out.Room(length);
  ByteBuffer::CopyShort(to, head.data(), head.size());
  to += head.size();
  ByteBuffer::CopyShort(to, key.data(), key.size());
  to += key.size();
  *to++ = ',';
  ByteBuffer::CopyShort(to, prices.data(), prices.size());
  to += prices.size();
  std::memcpy(to, kLineEnd, kLineEndBytes);
  out.Commit(length);
  return length;
}

}  // namespace arl
