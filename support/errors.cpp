#include "support/errors.h"

#include <cstdint>

namespace arl {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void Invalid(std::string_view text) {
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

// Hexadecimal values take up to 32 bits and wrap into the signed range ("$FFFFFFFF" is -1), as
// stored settings written by hand may rely on; decimal values must fit the signed range.
int StrToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) Invalid(text);

  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) Invalid(text);
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFull) Invalid(text);
  }
  std::int64_t result;
  if (hex) {
    result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (negative) result = -result;
    if (result > INT32_MAX) Invalid(text);  // -$80000000 negates to past the top
  } else {
    result = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    if (result < INT32_MIN || result > INT32_MAX) Invalid(text);
  }
  return static_cast<int>(result);
}

}  // namespace arl
