#include "convert/scanned_line.h"

#include <array>
#include <cstring>

#include "convert/word_bytes.h"

namespace arl {

namespace {

enum : std::uint8_t { kEnd = 1, kComma = 2, kNotPlain = 4, kNotSafe = 8 };

constexpr std::array<std::uint8_t, 256> MakeClasses() {
  std::array<std::uint8_t, 256> c{};
  for (int b = 0; b < 256; ++b) {
    std::uint8_t v = 0;
    if (b <= 32 || b == '"') v |= kNotPlain;
    const bool safe =
        (b >= '0' && b <= '9') || b == '.' || b == ',' || b == '-' || b == '+' || b == ' ' || b == '\t';
    if (!safe) v |= kNotSafe;
    if (b == ',') v |= kComma;
    if (b == '\r' || b == '\n') v |= kEnd;
    c[static_cast<std::size_t>(b)] = v;
  }
  return c;
}

constexpr std::array<std::uint8_t, 256> kClasses = MakeClasses();

}  // namespace

namespace {

using word_bytes::AnyUnusual;
using word_bytes::kOnes;
using word_bytes::ZeroBytes;

// Scans the rest of a line from data[i], a byte after its first comma, to the line end, and finishes
// `line`. `commas` commas and the flags `before` and `after` were found before i.
void ScanRest(std::string_view text, std::size_t& pos, std::size_t i, int commas, std::uint8_t before,
              std::uint8_t after, ScannedLine& line) {
  const std::size_t size = text.size();
  const char* data = text.data();
  // Whole words of digits, dots, commas and signs at a time, then byte by byte.
  while (i + 8 <= size) {
    std::uint64_t x;
    std::memcpy(&x, data + i, 8);
    if (AnyUnusual(x)) break;
    for (std::uint64_t m = ZeroBytes(x ^ (kOnes * ',')); m != 0 && commas < ScannedLine::kMaxCommas;
         m &= m - 1)
      line.commas[commas++] =
          static_cast<std::uint32_t>(i - pos + static_cast<std::size_t>(__builtin_ctzll(m) >> 3));
    i += 8;
  }
  for (; i < size; ++i) {
    const std::uint8_t c = kClasses[static_cast<unsigned char>(data[i])];
    if (c & kEnd) break;
    if ((c & kComma) && commas < ScannedLine::kMaxCommas)
      line.commas[commas++] = static_cast<std::uint32_t>(i - pos);
    after |= c;
  }
  line.text = text.substr(pos, i - pos);
  line.commaCount = commas;
  line.plain = i > pos && ((before | after) & kNotPlain) == 0;
  line.restSafe = (after & kNotSafe) == 0;
  if (i < size && data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
  pos = i + 1;
}

}  // namespace

bool ScanNextLine(std::string_view text, std::size_t& pos, ScannedLine& line) {
  const std::size_t size = text.size();
  if (pos >= size) return false;
  const char* data = text.data();
  std::size_t i = pos;
  std::uint8_t before = 0;
  // Up to the first comma: the first field.
  for (; i < size; ++i) {
    const std::uint8_t c = kClasses[static_cast<unsigned char>(data[i])];
    if (c & (kEnd | kComma)) break;
    before |= c;
  }
  if (i < size && data[i] == ',') {
    ScanRest(text, pos, i, 0, before, 0, line);
  } else {
    line.text = text.substr(pos, i - pos);
    line.commaCount = 0;
    line.plain = i > pos && (before & kNotPlain) == 0;
    line.restSafe = true;
    if (i < size && data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    pos = i + 1;
  }
  return true;
}

bool LineScanner::Next(ScannedLine& line) {
  if (pos_ >= text_.size()) return false;
  // Lines of one ticker and day share their first two fields: start behind them.
  if (!prefix_.empty() && text_.size() - pos_ > prefix_.size() &&
      std::memcmp(text_.data() + pos_, prefix_.data(), prefix_.size()) == 0) {
    line.commas[0] = firstComma_;
    line.commas[1] = static_cast<std::uint32_t>(prefix_.size() - 1);
    ScanRest(text_, pos_, pos_ + prefix_.size(), 2, 0, 0, line);
  } else {
    ScanNextLine(text_, pos_, line);
  }
  if (line.plain && line.restSafe && line.commaCount >= 2) {
    prefix_ = line.text.substr(0, line.commas[1] + 1);
    firstComma_ = line.commas[0];
  } else {
    prefix_ = {};
  }
  return true;
}

}  // namespace arl
