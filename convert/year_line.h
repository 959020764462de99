#pragma once
// The bytes of one currency year file line: the ticker column (or nothing), the shifted "date,time",
// a comma, the four prices and CR LF. Written in place by the output and by the day-part staging.
#include <string_view>

#include "convert/byte_buffer.h"

namespace arl {

inline std::size_t YearLineLength(std::string_view head, std::string_view key, std::string_view prices) {
  return head.size() + key.size() + prices.size() + 3;
}

// Appends the line to `out` and returns its length.
inline std::size_t AppendYearLine(ByteBuffer& out, std::string_view head, std::string_view key,
                                  std::string_view prices) {
  const std::size_t length = YearLineLength(head, key, prices);
  char* to = out.Room(length);
  ByteBuffer::CopyShort(to, head.data(), head.size());
  to += head.size();
  ByteBuffer::CopyShort(to, key.data(), key.size());
  to += key.size();
  *to++ = ',';
  ByteBuffer::CopyShort(to, prices.data(), prices.size());
  to += prices.size();
  to[0] = '\r';
  to[1] = '\n';
  out.Commit(length);
  return length;
}

}  // namespace arl
