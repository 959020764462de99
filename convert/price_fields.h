#pragma once
// The four prices at the end of a 1-minute line checked at once: 16 bytes at a time are sorted into
// digits, points, commas and signs, and the fields are found from the commas' bits. This takes
// nearly every line; what it does not take (a field over 16 bytes, a text over 64, anything odd) is
// left to the byte-by-byte reading, which also tells what is wrong.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "convert/price_text.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

inline constexpr std::size_t kPriceLook = 64;  // bytes read from the prices' start, past their end

// Splits [p, p + n) into four prices of at most 16 bytes: each an optional sign, digits and at most
// one point, with at least one digit, the four joined by three commas; `points` gets where their
// points stand. Reads kPriceLook bytes from p. A line whose points, commas and signs stand where the
// last one's did (as they mostly do: a currency's prices keep their shape) is split as that one was.
class PriceSplitter {
 public:
  bool Split(const char* p, std::size_t n, std::string_view (&prices)[4], std::uint8_t (&points)[4]) {
#ifdef __SSE2__
    if (n > kPriceLook) return false;
    if (n == last_.n && n != 0 && n <= 32 && ShapedAsLast(p, n)) {
      Fill(p, prices, points);
      return true;
    }
    // Bytes of a price are '+' to '9' but '/': signs, the comma, the point and digits. Two blocks
    // take nearly every line; the shifts are constants when the blocks are spelt out.
    std::uint64_t bad = 0, digit = 0, dot = 0, comma = 0;
    const auto classify = [&](const char* at, int shift) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      const auto bits = [shift](__m128i is) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(is))) << shift;
      };
      // Signed compares: bytes of 128 and above are below '+'.
      bad |= bits(_mm_or_si128(
          _mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8('+')), _mm_cmpgt_epi8(x, _mm_set1_epi8('9'))),
          _mm_cmpeq_epi8(x, _mm_set1_epi8('/'))));
      digit |= bits(_mm_cmpgt_epi8(x, _mm_set1_epi8('/')));
      dot |= bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('.')));
      comma |= bits(_mm_cmpeq_epi8(x, _mm_set1_epi8(',')));
    };
    classify(p, 0);
    classify(p + 16, 16);
    if (n > 32) {
      classify(p + 32, 32);
      classify(p + 48, 48);
    }
    const std::uint64_t in = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
    if ((bad & in) != 0) return false;
    dot &= in;
    comma &= in;
    const std::uint64_t notDigit = ~digit & in;
    if ((n != last_.n || notDigit != last_.notDigit || dot != last_.dot || comma != last_.comma) &&
        !NewLayout(p, n, in, digit, dot, comma))
      return false;
    Fill(p, prices, points);
    return true;
#else
    (void)p, (void)n, (void)prices, (void)points;
    return false;
#endif
  }

 private:
  void Fill(const char* p, std::string_view (&prices)[4], std::uint8_t (&points)[4]) const {
    for (std::size_t field = 0; field < 4; ++field) {
      prices[field] = std::string_view(p + last_.start[field], last_.size[field]);
      points[field] = last_.point[field];
    }
  }

#ifdef __SSE2__
  // Whether the n (at most 32) bytes at p have the last line's shape: digits where it had digits, and
  // its very commas, points and signs elsewhere. Nearly every line does; it is told in two compares
  // a block instead of sorting every byte.
  bool ShapedAsLast(const char* p, std::size_t n) const {
    const auto digits = [](__m128i x) {
      return static_cast<std::uint32_t>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('/')), _mm_cmplt_epi8(x, _mm_set1_epi8(':')))));
    };
    const auto same = [](__m128i x, const char* skeleton) {
      return static_cast<std::uint32_t>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(skeleton)))));
    };
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const std::uint32_t in = n == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << n) - 1;
    const auto notDigit = static_cast<std::uint32_t>(last_.notDigit);
    const std::uint32_t digit = digits(a) | digits(b) << 16;
    const std::uint32_t kept = same(a, last_.skeleton) | same(b, last_.skeleton + 16) << 16;
    return (digit & in) == (in & ~notDigit) && (kept & notDigit) == notDigit;
  }
#endif

  // Where the fields of a line with these bits stand, when they are four prices; false when not.
  bool NewLayout(const char* p, std::size_t n, std::uint64_t in, std::uint64_t digit, std::uint64_t dot,
                 std::uint64_t comma) {
    last_.n = 0;
    const std::uint64_t sign = in & ~(digit | dot | comma);
    std::uint64_t commas = comma;
    Layout layout;
    std::size_t start = 0;
    for (std::size_t field = 0; field < 4; ++field) {
      std::size_t end = n;
      if (field < 3) {
        if (commas == 0) return false;
        end = static_cast<std::size_t>(__builtin_ctzll(commas));
        commas &= commas - 1;
      } else if (commas != 0) {
        return false;
      }
      if (end - start > 16 || end == start) return false;
      const std::uint64_t bits = ((std::uint64_t{1} << (end - start)) - 1) << start;
      const std::uint64_t dots = dot & bits;
      if ((digit & bits) == 0 || (dots & (dots - 1)) != 0 ||
          (sign & bits & ~(std::uint64_t{1} << start)) != 0)
        return false;
      layout.start[field] = static_cast<std::uint8_t>(start);
      layout.size[field] = static_cast<std::uint8_t>(end - start);
      layout.point[field] =
          dots == 0 ? kNoPoint : static_cast<std::uint8_t>(__builtin_ctzll(dots) - static_cast<int>(start));
      start = end + 1;
    }
    layout.n = n;
    std::memcpy(layout.skeleton, p, sizeof layout.skeleton);  // kPriceLook bytes may be read at p
    layout.notDigit = ~digit & in;
    layout.dot = dot;
    layout.comma = comma;
    last_ = layout;
    return true;
  }

  // The fields of the last line split: where its points, commas and signs stand among n bytes.
  struct Layout {
    std::size_t n = 0;
    std::uint64_t notDigit = 0, dot = 0, comma = 0;
    std::uint8_t start[4] = {}, size[4] = {}, point[4] = {};
    char skeleton[32] = {};  // the line's first bytes: its commas, points and signs among digits
  };
  Layout last_;
};

}  // namespace arl
