#pragma once
// FastLine: recognises, in one pass over its bytes, the common day-file line that repeats the first
// two fields of a line already converted (or already found to belong to no ticker): the same prefix
// "ticker,date," followed only by digits, '.', '+', '-' and commas up to the line end. Such a line
// belongs to the same tickers as the line that set the prefix, and when it continues "hhmm00," with
// exactly three more commas, its conversion is the key of that minute and the rest of the line.
// Anything else is left to the general path, which is always right.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "convert/word_bytes.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
// Code that runs only where HasWideLineCheck() holds is compiled for those processors.
#define ARL_WIDE_TARGET [[gnu::target("avx512f,avx512bw,bmi,popcnt")]]
#else
#define ARL_WIDE_TARGET
#endif

namespace arl {

struct FastLine {
  std::size_t next = 0;     // where the following line starts
  std::string_view time;    // field 2 (only when converting)
  std::string_view prices;  // fields 3 to 6 as they stand (only when converting)
  int minute = -1;          // minute of day of a "hhmm00" time, else -1
};

namespace fast_line_detail {

#ifndef __SSE2__
using word_bytes::AnyUnusual;
using word_bytes::kOnes;
using word_bytes::ZeroBytes;
#else
// The bits set in a mask of up to 64 bits, by adding neighbouring counts (no popcnt instruction in
// the base instruction set).
inline int BitCount(std::uint64_t m) {
  m = m - ((m >> 1) & 0x5555555555555555ULL);
  m = (m & 0x3333333333333333ULL) + ((m >> 2) & 0x3333333333333333ULL);
  m = (m + (m >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((m * 0x0101010101010101ULL) >> 56);
}

// True when exactly four bits of m are set.
inline bool HasFourBits(std::uint64_t m) {
  const std::uint64_t m1 = m & (m - 1), m2 = m1 & (m1 - 1), m3 = m2 & (m2 - 1);
  return m3 != 0 && (m3 & (m3 - 1)) == 0;
}

// Bit k of `bad` is set where byte k of the 16 at p is outside '+'..'9' or is '/' (a line end or a
// reason to leave the line to the general path); bit k of `comma` where it is a comma.
struct ByteMasks {
  std::uint64_t bad, comma;
};
inline ByteMasks Classify16(const char* p) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Signed compares: bytes of 128 and above count as below '+', which is unsafe too.
  const __m128i bad =
      _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8('+')), _mm_cmpgt_epi8(x, _mm_set1_epi8('9'))),
                   _mm_cmpeq_epi8(x, _mm_set1_epi8('/')));
  return {static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bad))),
          static_cast<std::uint64_t>(
              static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(',')))))};
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

// The end of a fast line's check, its rest [restStart, end) read: where the next line starts and,
// when converting, "hhmm00," and three commas between the four prices.
inline bool Finish(const char* d, std::size_t n, std::size_t restStart, std::size_t end, int commas,
                   bool converting, FastLine& out) {
  out.next = end == n ? n : (d[end] == '\r' && end + 1 < n && d[end + 1] == '\n' ? end + 2 : end + 1);
  if (!converting) return true;
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

}  // namespace fast_line_detail

// True when every byte of `field` could stand in the rest of a fast line.
inline bool IsSafeField(std::string_view field) {
  for (char c : field)
    if (!fast_line_detail::IsSafe(c) || c == ',') return false;
  return true;
}

// Reads the line at text[pos] if it starts with `prefix` and the rest is of safe bytes. With
// `converting`, it must also have a whole-minute time and exactly seven fields. Inline: it is the
// body of the conversion's innermost loop.
inline bool ReadFastLine(std::string_view text, std::size_t pos, std::string_view prefix, bool converting,
                         FastLine& out) {
  using namespace fast_line_detail;
  const char* d = text.data();
  const std::size_t n = text.size();
  if (n - pos <= prefix.size() || !SamePrefix(d + pos, prefix)) return false;
  const std::size_t restStart = pos + prefix.size();
  std::size_t i = restStart;
  int commas = 0;
#ifdef __SSE2__
  // Nearly every rest of a line ends within 48 bytes: three blocks classified without a branch,
  // then block by block for longer ones.
  bool stopped = false;
  if (i + 48 <= n) {
    const ByteMasks a = Classify16(d + i), b = Classify16(d + i + 16), c = Classify16(d + i + 32);
    const std::uint64_t bad = a.bad | b.bad << 16 | c.bad << 32;
    const std::uint64_t comma = a.comma | b.comma << 16 | c.comma << 32;
    stopped = bad != 0;
    const int stop = stopped ? __builtin_ctzll(bad) : 48;
    // Only four commas matter here, and clearing the lowest bits is cheaper than counting them all.
    commas = stopped ? (HasFourBits(comma & ((std::uint64_t{1} << stop) - 1)) ? 4 : -1) : BitCount(comma);
    i += static_cast<std::size_t>(stop);
  }
  while (!stopped && i + 16 <= n) {
    const ByteMasks m = Classify16(d + i);
    stopped = m.bad != 0;
    const int stop = stopped ? __builtin_ctzll(m.bad) : 16;
    commas += BitCount(stopped ? m.comma & ((std::uint64_t{1} << stop) - 1) : m.comma);
    i += static_cast<std::size_t>(stop);
  }
#else
  while (i + 8 <= n) {
    std::uint64_t x;
    std::memcpy(&x, d + i, 8);
    if (AnyUnusual(x)) break;
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
  return fast_line_detail::Finish(d, n, restStart, i, commas, converting, out);
}

#if defined(__x86_64__) && defined(__GNUC__)
// True when the processor can run ReadFastLineWide.
inline bool HasWideLineCheck() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
}

// The bytes the wide check compares with, made once for a run of lines.
struct WideBytes {
  __m512i plus, nine, slash, comma;
  ARL_WIDE_TARGET WideBytes()
      : plus(_mm512_set1_epi8('+')),
        nine(_mm512_set1_epi8('9')),
        slash(_mm512_set1_epi8('/')),
        comma(_mm512_set1_epi8(',')) {}
};

// ReadFastLine for a converting line, its rest classified 64 bytes at once with AVX-512; only where
// HasWideLineCheck() holds. A rest longer than that, or at the end of the text, takes ReadFastLine.
ARL_WIDE_TARGET inline bool ReadFastLineWide(std::string_view text, std::size_t pos, std::string_view prefix,
                                             const WideBytes& bytes, FastLine& out) {
  using namespace fast_line_detail;
  const char* d = text.data();
  const std::size_t n = text.size();
  if (n - pos <= prefix.size() || !SamePrefix(d + pos, prefix)) return false;
  const std::size_t restStart = pos + prefix.size();
  if (restStart + 64 > n) return ReadFastLine(text, pos, prefix, true, out);
  const __m512i x = _mm512_loadu_si512(d + restStart);
  // Unsigned compares: bytes of 128 and above are above '9'.
  const __mmask64 bad =
      _kor_mask64(_kor_mask64(_mm512_cmplt_epu8_mask(x, bytes.plus), _mm512_cmpgt_epu8_mask(x, bytes.nine)),
                  _mm512_cmpeq_epi8_mask(x, bytes.slash));
  if (bad == 0) return ReadFastLine(text, pos, prefix, true, out);
  const int stop = __builtin_ctzll(bad);
  const std::size_t end = restStart + static_cast<std::size_t>(stop);
  if (d[end] != '\r' && d[end] != '\n') return false;
  const std::uint64_t comma = _mm512_cmpeq_epi8_mask(x, bytes.comma);
  const int commas = __builtin_popcountll(comma & ((std::uint64_t{1} << stop) - 1));
  return Finish(d, n, restStart, end, commas, true, out);
}
#else
inline bool HasWideLineCheck() { return false; }
struct WideBytes {};
inline bool ReadFastLineWide(std::string_view text, std::size_t pos, std::string_view prefix,
                             const WideBytes&, FastLine& out) {
  return ReadFastLine(text, pos, prefix, true, out);
}
#endif

}  // namespace arl
