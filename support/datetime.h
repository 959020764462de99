#pragma once
// Date-times and the run-wide date and time formats.
// A date-time is counted in days since 1899-12-30 with the time of day as the fraction at the
// interface, but kept as integer milliseconds inside, so that shifting by whole hours never moves a
// minute or a second.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace arl {

struct DateTime {
  std::int64_t ms = 0;  // milliseconds since 1899-12-30 00:00:00.000

  static constexpr std::int64_t kMsPerDay = 86'400'000;
  static DateTime FromDays(double days);  // rounds to the nearest millisecond
  double Days() const { return static_cast<double>(ms) / kMsPerDay; }
  std::int64_t DayNumber() const;  // whole days, rounded towards minus infinity
  std::int64_t MsOfDay() const;    // 0 .. kMsPerDay - 1
  friend auto operator<=>(DateTime, DateTime) = default;
};

DateTime EncodeDate(int year, int month, int day);  // raises EConvertError for an invalid date
DateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
void DecodeDate(DateTime t, int& year, int& month, int& day);
void DecodeTime(DateTime t, int& hour, int& minute, int& second, int& millisecond);
// Non-raising forms: false for a field out of range.
bool TryEncodeDate(int year, int month, int day, DateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& result);
// 0 = Sunday .. 6 = Saturday.
int DayOfWeek(DateTime t);
inline DateTime AddMs(DateTime t, std::int64_t ms) { return DateTime{t.ms + ms}; }
inline DateTime AddHours(DateTime t, int hours) { return DateTime{t.ms + std::int64_t{hours} * 3'600'000}; }
inline DateTime AddDays(DateTime t, std::int64_t days) { return DateTime{t.ms + days * DateTime::kMsPerDay}; }

// The calendar year of a date-time.
int CurrentYear(DateTime t);

// The local date and time now.
DateTime Now();

// The run-wide date and time formats. The run fixes the short date format, the date separator and
// the long time format; the time separator stays ":".
struct FormatSettings {
  std::string ShortDateFormat = "yyyy/mm/dd";
  char DateSeparator = '/';
  std::string LongTimeFormat = "hh:nn:ss";
  char TimeSeparator = ':';
};

// A format text compiled once for fast printing on hot paths. Specifiers: yyyy, yy, mm, m, dd, d,
// hh, h, nn, n, ss, s, zzz, z, text in double or single quotes printed literally, "/" for the date
// separator and ":" for the time separator, "c" (short date then long time), "ddddd" (short date),
// "tt" (long time); every other character is printed as it stands. "m" or "mm" right after an hour
// specifier means minutes (hh:mm is a time). Compiling never fails: what is not a field
// is printed as it stands, and an unclosed quote runs to the end of the format.
class CompiledFormat {
 public:
  CompiledFormat(std::string_view format, const FormatSettings& settings);
  void AppendTo(std::string& out, DateTime t) const;
  std::string Format(DateTime t) const;
  // Whether the text printed depends on the date, and on the time of day.
  bool NeedsDate() const { return needs_date_; }
  bool NeedsTime() const { return needs_time_; }

  // One step of printing: a literal text, a field of the date or time, or a jump over the time part
  // of "c" at midnight.
  struct Token {
    enum class Kind : unsigned char {
      Literal,
      Year2,
      Year4,
      Month,
      MonthShort,
      MonthLong,
      Day,
      DayShort,
      DayLong,
      Hour,
      Hour12,
      Minute,
      Second,
      Millisecond,
      AmPm,
      SkipAtMidnight
    };
    Kind kind = Kind::Literal;
    int digits = 0;     // least number of digits for numeric fields; tokens to skip for SkipAtMidnight
    std::string text;   // Literal; AmPm: the morning text
    std::string text2;  // AmPm: the afternoon text
  };
  // The steps of printing, in order; a reader of printed texts follows them back.
  const std::vector<Token>& Tokens() const { return tokens_; }

 private:
  void Compile(std::string_view format, const FormatSettings& settings, int level);
  std::vector<Token> tokens_;
  bool needs_date_ = false;
  bool needs_time_ = false;
};

std::string FormatDateTime(std::string_view format, DateTime t, const FormatSettings& settings);
std::string DateToStr(DateTime t, const FormatSettings& settings);  // ShortDateFormat
std::string TimeToStr(DateTime t, const FormatSettings& settings);  // LongTimeFormat

// Parses a date in the short date format's year-month-day order with the date separator, or a time
// with the time separator (hours, then optional minutes, seconds, milliseconds; an optional AM/PM).
// Surrounding blanks are allowed. A text that does not parse raises EConvertError
// "'text' is not a valid date" / "'text' is not a valid time".
DateTime StrToDate(std::string_view text, const FormatSettings& settings);
// The same with the year that a date without one, or with a two-digit year, is read against
// (-1: the current year by the clock, looked up only when such a date comes).
DateTime StrToDate(std::string_view text, const FormatSettings& settings, int currentYear);
DateTime StrToTime(std::string_view text, const FormatSettings& settings);

}  // namespace arl
