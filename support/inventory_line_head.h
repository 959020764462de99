#pragma once
// LineHeadMatcher: the inventory's fast path through a year file. Nearly every line starts like the
// one before it, with the same ticker column and date, then a time of fixed width and a comma; this
// checks all of that for one line in a few vector compares (16 bytes at a time) instead of reading
// the fields one by one. A line it does not accept is not wrong, only left to the full reading
// (inventory_line_stamp.h), which decides. It reads 32 bytes from a line's start and FindLf 16 at a
// time, whatever the line's length: the caller's buffer must have that much room behind its data.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "support/inventory_line_stamp.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace arl {

class LineHeadMatcher {
 public:
  static constexpr std::size_t kWidth = 32;  // bytes compared from a line's start

  // Expects lines to start with `key` (ticker column, date, comma), a time of `shape` and a comma.
  // A head longer than kWidth, or a time without a fixed shape, is not taken: Matches then fails.
  void Expect(std::string_view key, const StampTimeReader::Shape& shape) {
    length_ = key.size() + shape.literal.size() + 1;
    if (shape.literal.empty() || length_ > kWidth) {
      length_ = 0;
      return;
    }
    std::memset(literal_, 0, sizeof literal_);
    std::memset(maxDigit_, 0, sizeof maxDigit_);
    literalMask_ = digitMask_ = 0;
    std::memcpy(literal_, key.data(), key.size());
    for (std::size_t i = 0; i < shape.literal.size(); ++i) {
      const std::size_t at = key.size() + i;
      if (shape.literal[i] != '\0') {
        literal_[at] = shape.literal[i];
      } else {
        maxDigit_[at] = static_cast<char>(shape.maxDigit[i] - '0');
        digitMask_ |= std::uint32_t{1} << at;
      }
    }
    literal_[length_ - 1] = ',';
    literalMask_ = (length_ == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << length_) - 1) & ~digitMask_;
    hourAt_ = shape.hourAt < 0 ? -1 : static_cast<int>(key.size()) + shape.hourAt;
  }

  std::size_t Length() const { return length_; }  // 0: nothing is expected

  bool Matches(const char* p) const {
    if (length_ == 0) return false;
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi8('0');
    std::uint32_t same = 0, digits = 0;
    for (int half = 0; half < 2; ++half) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * half));
      const __m128i literal = _mm_loadu_si128(reinterpret_cast<const __m128i*>(literal_ + 16 * half));
      const __m128i limit = _mm_loadu_si128(reinterpret_cast<const __m128i*>(maxDigit_ + 16 * half));
      const __m128i value = _mm_sub_epi8(bytes, zero);  // a digit is 0..limit, anything else wraps above
      const int shift = 16 * half;
      same |= static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, literal))) << shift;
      digits |=
          static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(value, limit), value)))
          << shift;
    }
    if ((same & literalMask_) != literalMask_ || (digits & digitMask_) != digitMask_) return false;
#else
    for (std::size_t i = 0; i < length_; ++i) {
      const bool digit = (digitMask_ >> i) & 1;
      const auto value = static_cast<unsigned char>(p[i] - '0');
      if (digit ? value > static_cast<unsigned char>(maxDigit_[i]) : p[i] != literal_[i]) return false;
    }
#endif
    return hourAt_ < 0 || p[hourAt_] != '2' || p[hourAt_ + 1] <= '3';
  }

  // The first LF at or after p; there must be one before `stop`.
  static const char* FindLf(const char* p, [[maybe_unused]] const char* stop) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (;; p += 16) {
      const auto hits = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
      if (hits != 0) return p + __builtin_ctz(hits);
    }
#else
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
#endif
  }

 private:
  char literal_[kWidth] = {}, maxDigit_[kWidth] = {};
  std::uint32_t literalMask_ = 0, digitMask_ = 0;
  std::size_t length_ = 0;
  int hourAt_ = -1;
};

}  // namespace arl
