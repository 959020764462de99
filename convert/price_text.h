#pragma once
// The prices of 1-minute lines as bars need them: each kept as the text the line wrote (bars copy
// prices, they never print them again) and compared as the exact decimal number it writes, so that
// "1.2" and "1.20" are equal. Texts of one shape (the same length, the point in the same place, no
// sign), as nearly all prices of a currency are, compare as their bytes do; others are read as
// numbers scaled by 10^18 in a 128-bit integer, exact for up to 18 digits on either side of the point.
#include <cstdint>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

using PriceValue = __int128;

// Where a price's point stands in its text, or kNoPoint; with the text's length, the price's shape.
inline constexpr std::uint8_t kNoPoint = 0xFF;

// The first `size` (1 to 8) bytes at p as a big-endian number: for texts of one shape, their order.
inline std::uint64_t ShapeKey(const char* p, std::size_t size) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return __builtin_bswap64(word) >> (8 * (8 - size));
}

// A price's text in a small fixed buffer: bars keep their prices without allocating.
struct PriceText {
  static constexpr std::size_t kMax = 31;  // longer texts are not read as prices
  char bytes[kMax + 1];
  std::uint8_t size = 0, point = kNoPoint;
  std::uint64_t key = 0;  // ShapeKey of a text of up to 8 bytes

  // Takes a text of at most kMax bytes; reads 16 bytes from its start, past its end when shorter.
  void Set(std::string_view text, std::uint8_t textPoint) {
    SetText(text, textPoint);
    if (size <= 8) key = ShapeKey(text.data(), size);
  }
  // Set() without the key, for a price that is only copied, never compared (an open, a close).
  void SetText(std::string_view text, std::uint8_t textPoint) {
    if (text.size() <= 16)
      std::memcpy(bytes, text.data(), 16);
    else
      std::memcpy(bytes, text.data(), text.size());
    size = static_cast<std::uint8_t>(text.size());
    point = textPoint;
  }
  std::string_view View() const { return {bytes, size}; }
};

// 10^0 .. 10^18.
inline constexpr std::uint64_t kPow10[] = {1ULL,
                                           10ULL,
                                           100ULL,
                                           1000ULL,
                                           10000ULL,
                                           100000ULL,
                                           1000000ULL,
                                           10000000ULL,
                                           100000000ULL,
                                           1000000000ULL,
                                           10000000000ULL,
                                           100000000000ULL,
                                           1000000000000ULL,
                                           10000000000000ULL,
                                           100000000000000ULL,
                                           1000000000000000ULL,
                                           10000000000000000ULL,
                                           100000000000000000ULL,
                                           1000000000000000000ULL};

// Reads a price at p: an optional sign, digits, an optional point followed by digits, at least one
// digit in all, at most 18 digits before the point (leading zeros aside) and 18 after it (trailing
// zeros aside), at most PriceText::kMax bytes. Returns where the price ends, or nullptr when the text
// there is not such a price; the caller checks what follows it.
inline const char* ReadPrice(const char* p, const char* end, PriceValue& value) {
  const char* const start = p;
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  std::uint64_t whole = 0, fraction = 0;
  int wholeDigits = 0, fractionDigits = 0, digits = 0;
  for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits) {
    whole = whole * 10 + static_cast<unsigned>(*p - '0');
    wholeDigits += whole != 0;
  }
  if (p < end && *p == '.') {
    for (++p; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits) {
      if (fractionDigits == 18) {
        if (*p != '0') return nullptr;
        continue;
      }
      fraction = fraction * 10 + static_cast<unsigned>(*p - '0');
      ++fractionDigits;
    }
  }
  if (digits == 0 || wholeDigits > 18 || static_cast<std::size_t>(p - start) > PriceText::kMax)
    return nullptr;
  value = static_cast<PriceValue>(whole) * kPow10[18] +
          static_cast<PriceValue>(fraction * kPow10[static_cast<std::size_t>(18 - fractionDigits)]);
  if (negative) value = -value;
  return p;
}

// The order of two prices that ReadPrice reads: below 0 when a < b, 0 when equal, above 0 when a > b.
// Reads up to 16 bytes from each text's start, past its end when it is shorter.
inline int ComparePrices(std::string_view a, std::string_view b) {
#ifdef __SSE2__
  if (a.size() == b.size() && a.size() <= 16 && a[0] >= '.' && b[0] >= '.') {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data()));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.data()));
    const __m128i dot = _mm_set1_epi8('.');
    const unsigned in = (1u << a.size()) - 1;
    const auto dotsOf = [&](__m128i v) {
      return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, dot)));
    };
    if (((dotsOf(x) ^ dotsOf(y)) & in) == 0) {
      const unsigned differ = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) & in;
      if (differ == 0) return 0;
      const auto at = static_cast<std::size_t>(__builtin_ctz(differ));
      return static_cast<unsigned char>(a[at]) < static_cast<unsigned char>(b[at]) ? -1 : 1;
    }
  }
#endif
  PriceValue x = 0, y = 0;
  ReadPrice(a.data(), a.data() + a.size(), x);
  ReadPrice(b.data(), b.data() + b.size(), y);
  return x < y ? -1 : (x > y ? 1 : 0);
}

// The order of a line's price (its text and point) against a kept one, as ComparePrices.
[[gnu::always_inline]] inline int ComparePrice(std::string_view a, std::uint8_t aPoint, const PriceText& b) {
  if (a.size() == b.size && aPoint == b.point && b.size <= 8 && a[0] >= '.' && b.bytes[0] >= '.') {
    const std::uint64_t x = ShapeKey(a.data(), b.size);
    return x < b.key ? -1 : (x > b.key ? 1 : 0);
  }
  return ComparePrices(a, b.View());
}

inline int ComparePrice(const PriceText& a, const PriceText& b) {
  if (a.size == b.size && a.point == b.point && a.size <= 8 && a.bytes[0] >= '.' && b.bytes[0] >= '.')
    return a.key < b.key ? -1 : (a.key > b.key ? 1 : 0);
  return ComparePrices(a.View(), b.View());
}

}  // namespace arl
