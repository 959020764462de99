#include "convert/fast_line.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

namespace {

#ifndef __SSE2__
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

inline std::uint64_t ZeroBytes(std::uint64_t x) { return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs; }

// True when some byte of x lies outside '+' .. '9' or is '/'.
inline bool AnyUnsafe(std::uint64_t x) {
  const std::uint64_t below = (x - kOnes * 0x2B) & ~x & kHighs;
  const std::uint64_t above = ((x + kOnes * (127 - 0x39)) | x) & kHighs;
  return (below | above | ZeroBytes(x ^ (kOnes * '/'))) != 0;
}
#else
constexpr std::uint8_t kBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
inline int BitCount(unsigned m) {
  int n = 0;
  for (; m != 0; m >>= 4) n += kBits[m & 15];
  return n;
}
#endif

inline bool IsSafe(char c) { return c >= '+' && c <= '9' && c != '/'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when text[at, at + prefix.size()) equals the prefix; both are known to be long enough.
inline bool SamePrefix(const char* at, std::string_view prefix) {
  const std::size_t n = prefix.size();
  if (n < 8) return std::memcmp(at, prefix.data(), n) == 0;
  std::uint64_t a, b;
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    std::memcpy(&a, at + i, 8);
    std::memcpy(&b, prefix.data() + i, 8);
    if (a != b) return false;
  }
  std::memcpy(&a, at + n - 8, 8);
  std::memcpy(&b, prefix.data() + n - 8, 8);
  return a == b;
}

}  // namespace

bool IsSafeField(std::string_view field) {
  for (char c : field)
    if (!IsSafe(c) || c == ',') return false;
  return true;
}

bool ReadFastLine(std::string_view text, std::size_t pos, std::string_view prefix, bool converting,
                  FastLine& out) {
  const char* d = text.data();
  const std::size_t n = text.size();
  if (n - pos <= prefix.size() || !SamePrefix(d + pos, prefix)) return false;
  const std::size_t restStart = pos + prefix.size();
  std::size_t i = restStart;
  int commas = 0;
#ifdef __SSE2__
  // Sixteen bytes at a time: the first byte outside '+'..'9' or '/' is the line end or a reason to
  // leave the line to the general path.
  const __m128i low = _mm_set1_epi8('+'), high = _mm_set1_epi8('9'), slash = _mm_set1_epi8('/'),
                comma = _mm_set1_epi8(',');
  while (i + 16 <= n) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    // Signed compares: bytes of 128 and above count as below '+', which is unsafe too.
    const __m128i bad =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(x, low), _mm_cmpgt_epi8(x, high)), _mm_cmpeq_epi8(x, slash));
    const auto badMask = static_cast<unsigned>(_mm_movemask_epi8(bad));
    const auto commaMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, comma)));
    if (badMask != 0) {
      const int stop = __builtin_ctz(badMask);
      commas += BitCount(commaMask & ((1u << stop) - 1));
      i += static_cast<std::size_t>(stop);
      break;
    }
    commas += BitCount(commaMask);
    i += 16;
  }
#else
  while (i + 8 <= n) {
    std::uint64_t x;
    std::memcpy(&x, d + i, 8);
    if (AnyUnsafe(x)) break;
    // One bit per comma byte, summed by a multiply.
    commas += static_cast<int>(((ZeroBytes(x ^ (kOnes * ',')) >> 7) * kOnes) >> 56);
    i += 8;
  }
#endif
  for (; i < n; ++i) {
    const char c = d[i];
    if (c == '\r' || c == '\n') break;
    if (!IsSafe(c)) return false;
    commas += c == ',';
  }
  const std::size_t end = i;
  out.next = end == n ? n : (d[end] == '\r' && end + 1 < n && d[end + 1] == '\n' ? end + 2 : end + 1);
  if (!converting) return true;
  // "hhmm00," and three commas between the four prices.
  const char* t = d + restStart;
  if (end - restStart < 7 || commas != 4 || !IsDigit(t[0]) || !IsDigit(t[1]) || !IsDigit(t[2]) ||
      !IsDigit(t[3]) || t[4] != '0' || t[5] != '0' || t[6] != ',')
    return false;
  const int hour = (t[0] - '0') * 10 + (t[1] - '0'), minute = (t[2] - '0') * 10 + (t[3] - '0');
  if (hour >= 24 || minute >= 60) return false;
  out.minute = hour * 60 + minute;
  out.time = std::string_view(t, 6);
  out.prices = std::string_view(t + 7, end - restStart - 7);
  return true;
}

}  // namespace arl
