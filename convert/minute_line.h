#pragma once
// MinuteLineReader: reads a line of a currency's 1-minute year file back into its day, time of day
// and prices, by the run's options that wrote it (support/output_line.h has the line's shape): the
// ticker column when kept, the date as yyyy<sep>mm<sep>dd, the time in the time format, four prices.
// It reads the date part first, so that lines outside the days wanted cost little. A line it cannot
// read gets a LineFault saying which part is wrong; nothing is guessed.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "convert/price_fields.h"
#include "convert/price_text.h"
#include "convert/time_field.h"
#include "support/run_options.h"

namespace arl {

enum class LineFault : std::uint8_t {
  None,
  TimeFormat,  // the time format cannot be read back to the hour and minute
  Ticker,      // the line does not start with the ticker column
  Date,
  Time,
  FieldCount,  // not four prices after the time
  Price,       // a price that is not a decimal number
  Order,       // a time before the line before it
  TooLong,     // a line longer than any 1-minute line
  Torn,        // the last line of a file has no line end
};

struct MinuteLine {
  std::int64_t day = 0;        // days since 1899-12-30
  std::int32_t msOfDay = 0;    // time of day
  int year = 0;                // of the date
  std::string_view date;       // the date field as written
  std::string_view price[4];   // open, high, low, close as written
  std::uint8_t point[4] = {};  // where each price's point stands, or kNoPoint
};

class MinuteLineReader {
 public:
  static constexpr std::size_t kDateLength = 10;  // yyyy/mm/dd
  // Bytes past a line's end that reading it may look at (but not use): the line's buffer must have them.
  static constexpr std::size_t kLineSlack = kPriceLook;

  MinuteLineReader(const RunOptions& options, std::string_view ticker);
  // A reader of another ticker's lines under the same options: a copy, as making one prints and reads
  // back every minute of the time format, which costs more than a day's lines of bars.
  MinuteLineReader ForTicker(const RunOptions& options, std::string_view ticker) const;

  bool Readable() const { return time_.Readable(); }

  // Reads the ticker column and the date into `out`; `rest` is set where the time starts. Inline
  // with ReadRest: together they are the body of the loop over every line.
  LineFault ReadDate(std::string_view line, MinuteLine& out, std::size_t& rest) {
    if (!head_.empty() &&
        (line.size() < head_.size() || std::memcmp(line.data(), head_.data(), head_.size()) != 0))
      return LineFault::Ticker;
    const std::size_t at = head_.size();
    if (line.size() < at + kDateLength + 1 || line[at + kDateLength] != ',') return LineFault::Date;
    out.date = line.substr(at, kDateLength);
    rest = at + kDateLength + 1;
    if (lastYear_ == 0 || !SameDate(out.date.data(), lastDate_)) return ReadNewDate(out);
    out.day = lastDay_;
    out.year = lastYear_;
    return LineFault::None;
  }

  // The day of a line's date (a CR left at its end is passed over); nothing when the ticker column
  // or the date cannot be read.
  std::optional<std::int64_t> DayOf(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    MinuteLine read;
    std::size_t rest = 0;
    if (ReadDate(line, read, rest) != LineFault::None) return std::nullopt;
    return read.day;
  }

  // Reads the time and the prices of a line whose date `out` holds; the line's buffer has kLineSlack
  // bytes after it.
  LineFault ReadRest(std::string_view line, std::size_t rest, MinuteLine& out) {
    const char* p = line.data() + rest;
    const char* const end = line.data() + line.size();
    p = time_.Read(p, end, out.day, out.msOfDay);
    if (p == end) return LineFault::FieldCount;
    if (p == nullptr || *p != ',') return LineFault::Time;
    if (prices_.Split(p + 1, static_cast<std::size_t>(end - p - 1), out.price, out.point))
      return LineFault::None;
    return ReadPricesOneByOne(p, end, out);
  }

 private:
  // Whether two date fields are the same, in two word compares rather than a call.
  static bool SameDate(const char* a, const char* b) {
    static_assert(kDateLength == 10);
    std::uint64_t a8, b8;
    std::uint16_t a2, b2;
    std::memcpy(&a8, a, 8);
    std::memcpy(&b8, b, 8);
    std::memcpy(&a2, a + 8, 2);
    std::memcpy(&b2, b + 8, 2);
    return a8 == b8 && a2 == b2;
  }
  LineFault ReadNewDate(MinuteLine& out);
  static LineFault ReadPricesOneByOne(const char* p, const char* end, MinuteLine& out);

  std::string head_;  // the ticker column with its comma, or ""
  char separator_;
  TimeFieldReader time_;
  PriceSplitter prices_;
  // The last date read, which nearly every line repeats.
  char lastDate_[kDateLength] = {};
  std::int64_t lastDay_ = 0;
  int lastYear_ = 0;
};

}  // namespace arl
