#pragma once
// TimeFieldReader: reads the time field of a 1-minute line back to its time of day by following the
// tokens of the compiled time format that printed it. Numbers are read as printed: a two-digit field
// ("hh") takes exactly two digits, a one-digit field ("h") one or two without a leading zero.
// A format is readable only when it shows the hour (on the 24-hour clock, or with a morning or
// afternoon marker) and the minute, every minute of a day prints a text that reads back to that
// minute, and no field of varying width runs into a field that could continue it ("hn" prints 1:23
// and 12:03 alike). Formats with date parts, names, markers or "c" are read over loosely and the
// whole text must then print again the same from the line's date and the time read, at the cost of
// one print per line; the common formats of numbers and text are read exactly without it.
// Lines come minute after minute, so the text of the minute after the last one read is tried first:
// when the format prints no date and no comma, a time is mostly one compare with a text printed once.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "support/datetime.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

class TimeFieldReader {
 public:
  explicit TimeFieldReader(const CompiledFormat& format);

  bool Readable() const { return readable_; }

  // Reads the time printed at [p, end), its date being `day` (days since 1899-12-30); returns where
  // the time ends, or nullptr when no time of this format stands there. Only for a readable format;
  // looks at up to 16 bytes from p, past `end` too.
  const char* Read(const char* p, const char* end, std::int64_t day, std::int32_t& msOfDay) {
    if (!minuteTexts_.empty())
      if (const char* q = ReadNextMinute(p, end, msOfDay)) return q;
    return ReadAny(p, end, day, msOfDay);
  }

 private:
  struct Step {
    CompiledFormat::Token::Kind kind = CompiledFormat::Token::Kind::Literal;
    int minWidth = 0, maxWidth = 0;  // numbers: digits printed
    int high = 0;                    // numbers: greatest value (the least is 0, 1 for the 12-hour clock)
    int skip = 0;                    // the midnight skip: the steps it jumps over
    std::string text, text2;         // literals; markers: the morning and afternoon texts
  };
  bool CheckReadable();
  void PrintMinutes();
  const char* ReadAny(const char* p, const char* end, std::int64_t day, std::int32_t& msOfDay);

  // The minute after the last one read when its printed text stands at p, followed by a comma.
  const char* ReadNextMinute(const char* p, const char* end, std::int32_t& msOfDay) {
    const int minute = lastMinute_ == 1439 ? 0 : lastMinute_ + 1;
    const std::size_t size = minuteSizes_[static_cast<std::size_t>(minute)];
    if (static_cast<std::size_t>(end - p) <= size || p[size] != ',') return nullptr;
    const char* text = &minuteTexts_[static_cast<std::size_t>(minute) * kStride];
#ifdef __SSE2__
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const unsigned in = (1u << size) - 1;
    if ((static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) & in) != in) return nullptr;
#else
    if (std::memcmp(p, text, size) != 0) return nullptr;
#endif
    msOfDay = minute * 60'000;
    lastMinute_ = minute;
    return p + size;
  }
  bool MayStartWith(std::size_t step, bool digit) const;
  const char* ReadSteps(const char* p, const char* end, std::size_t from, std::size_t to, int* values) const;

  CompiledFormat format_;
  std::vector<Step> steps_;
  bool reprint_ = false;  // whether each text read is printed again to be sure of it
  bool readable_ = false;
  std::string printed_;  // the text printed again, reused
  // Every whole minute of a day as printed, kStride bytes apart, when the format prints no date, no
  // comma and no line end, and no minute takes more than 16 bytes; else empty.
  static constexpr std::size_t kStride = 32;
  std::vector<char> minuteTexts_;
  std::vector<std::uint8_t> minuteSizes_;
  int lastMinute_ = -1;  // minute of the day of the last time read
};

}  // namespace arl
