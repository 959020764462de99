// Reading dates and times typed in the run-wide formats.
#include <cctype>

#include "support/datetime.h"
#include "support/errors.h"

namespace arl {

namespace {

// A cursor over the text being parsed. Blanks are allowed around every number and separator.
struct Scanner {
  std::string_view text;
  std::size_t at = 0;

  void SkipBlanks() {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  }
  // Up to four digits, so "20051" is not a year.
  bool Number(int& value, int& digits) {
    SkipBlanks();
    std::size_t start = at;
    value = 0;
    while (at < text.size() && at - start < 4 && text[at] >= '0' && text[at] <= '9')
      value = value * 10 + (text[at++] - '0');
    digits = static_cast<int>(at - start);
    return digits > 0;
  }
  bool Char(char c) {
    SkipBlanks();
    if (at < text.size() && text[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    SkipBlanks();
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    at += word.size();
    return true;
  }
  bool AtEnd() {
    SkipBlanks();
    return at == text.size();
  }
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view format) {
  for (char c : format) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'Y':
        return DateOrder::YMD;
      case 'M':
        return DateOrder::MDY;
      case 'D':
        return DateOrder::DMY;
      default:
        break;
    }
  }
  return DateOrder::MDY;
}

// The clock is read only for the dates that need it (-1 = not given), as dates are parsed per line.
int YearNow(int current_year) { return current_year >= 0 ? current_year : CurrentYear(Now()); }

// Two-digit years fall into the hundred years that start fifty years before the current one.
int ExpandYear(int year, int digits, int current_year) {
  if (digits > 2) return year;
  current_year = YearNow(current_year);
  const int window_start = current_year - 50;
  year += window_start / 100 * 100;
  if (year < window_start) year += 100;
  return year;
}

bool ScanDate(std::string_view text, const FormatSettings& settings, int current_year, DateTime& result) {
  Scanner s{text};
  int n1, n2, n3, l1, l2, l3;
  if (!s.Number(n1, l1) || !s.Char(settings.DateSeparator) || !s.Number(n2, l2)) return false;
  int year, month, day;
  const DateOrder order = OrderOf(settings.ShortDateFormat);
  if (s.Char(settings.DateSeparator)) {
    if (!s.Number(n3, l3)) return false;
    switch (order) {
      case DateOrder::MDY:
        year = ExpandYear(n3, l3, current_year);
        month = n1;
        day = n2;
        break;
      case DateOrder::DMY:
        year = ExpandYear(n3, l3, current_year);
        month = n2;
        day = n1;
        break;
      default:
        year = ExpandYear(n1, l1, current_year);
        month = n2;
        day = n3;
        break;
    }
  } else {
    year = YearNow(current_year);
    if (order == DateOrder::DMY) {
      day = n1;
      month = n2;
    } else {
      month = n1;
      day = n2;
    }
  }
  return s.AtEnd() && TryEncodeDate(year, month, day, result);
}

int Fraction(int value, int digits) {  // ".5" is half a second, ".05" fifty milliseconds
  for (; digits < 3; ++digits) value *= 10;
  for (; digits > 3; --digits) value /= 10;
  return value;
}

bool ScanTime(std::string_view text, const FormatSettings& settings, DateTime& result) {
  Scanner s{text};
  int base_hour = -1;
  if (s.Word("AM"))
    base_hour = 0;
  else if (s.Word("PM"))
    base_hour = 12;
  int hour, minute = 0, second = 0, ms = 0, digits;
  if (!s.Number(hour, digits)) return false;
  if (s.Char(settings.TimeSeparator)) {
    if (!s.Number(minute, digits)) return false;
    if (s.Char(settings.TimeSeparator)) {
      if (!s.Number(second, digits)) return false;
      if (s.Char('.')) {
        if (!s.Number(ms, digits)) return false;
        ms = Fraction(ms, digits);
      }
    }
  }
  if (base_hour < 0) {
    if (s.Word("AM"))
      base_hour = 0;
    else if (s.Word("PM"))
      base_hour = 12;
  }
  if (base_hour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour += base_hour;
  }
  return s.AtEnd() && TryEncodeTime(hour, minute, second, ms, result);
}

}  // namespace

DateTime StrToDate(std::string_view text, const FormatSettings& settings) {
  return StrToDate(text, settings, -1);
}

DateTime StrToDate(std::string_view text, const FormatSettings& settings, int currentYear) {
  DateTime result;
  if (!ScanDate(text, settings, currentYear, result))
    throw EConvertError("'" + std::string(text) + "' is not a valid date");
  return result;
}

DateTime StrToTime(std::string_view text, const FormatSettings& settings) {
  DateTime result;
  if (!ScanTime(text, settings, result))
    throw EConvertError("'" + std::string(text) + "' is not a valid time");
  return result;
}

}  // namespace arl
