#include "convert/minute_line.h"

#include <cstring>

#include "support/output_line.h"

namespace arl {

namespace {

int Digits(const char* p, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (p[i] < '0' || p[i] > '9') return -1;
    value = value * 10 + (p[i] - '0');
  }
  return value;
}

}  // namespace

MinuteLineReader::MinuteLineReader(const RunOptions& options, std::string_view ticker)
    : head_(LineHead(options, ticker)),
      separator_(options.dateSeparator),
      time_(CompiledFormat(options.timeFormat, RunFormats(options))) {}

MinuteLineReader MinuteLineReader::ForTicker(const RunOptions& options, std::string_view ticker) const {
  MinuteLineReader copy(*this);
  copy.head_ = LineHead(options, ticker);
  copy.lastYear_ = 0;
  return copy;
}

LineFault MinuteLineReader::ReadNewDate(MinuteLine& out) {
  const char* d = out.date.data();
  const int year = Digits(d, 4), month = Digits(d + 5, 2), day = Digits(d + 8, 2);
  DateTime date;
  if (d[4] != separator_ || d[7] != separator_ || year < 1 || month < 0 || day < 0 ||
      !TryEncodeDate(year, month, day, date))
    return LineFault::Date;
  std::memcpy(lastDate_, d, kDateLength);
  lastDay_ = out.day = date.DayNumber();
  lastYear_ = out.year = year;
  return LineFault::None;
}

// The prices after the time's comma at p, each read on its own to tell what is wrong with them.
LineFault MinuteLineReader::ReadPricesOneByOne(const char* p, const char* end, MinuteLine& out) {
  for (int i = 0; i < 4; ++i) {
    if (p == end || *p != ',') return LineFault::FieldCount;
    const char* start = ++p;
    PriceValue value;
    p = ReadPrice(start, end, value);
    if (p == nullptr || (p != end && *p != ',')) return LineFault::Price;
    out.price[i] = std::string_view(start, static_cast<std::size_t>(p - start));
    const std::size_t point = out.price[i].find('.');
    out.point[i] = point == std::string_view::npos ? kNoPoint : static_cast<std::uint8_t>(point);
  }
  return p == end ? LineFault::None : LineFault::FieldCount;
}

}  // namespace arl
