// Printing date-times through a format text. The format is compiled once into tokens so that the
// converter's millions of lines cost one decode and a few appends each.
#include <cctype>
#include <cstring>

#include "support/datetime.h"

namespace arl {

namespace {

using Token = CompiledFormat::Token;
using Kind = Token::Kind;

constexpr const char* kMonthShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthLong[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kDayLong[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                    "Thursday", "Friday", "Saturday"};

bool StartsNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[at + i])) != prefix[i]) return false;
  return true;
}

// An hour is printed on the 12-hour clock when the next "a" or "h" outside quotes after it starts
// an AM/PM marker.
bool TwelveHourClockFollows(std::string_view format, std::size_t at) {
  bool quoted = false;
  char quote = 0;
  for (; at < format.size(); ++at) {
    char c = format[at];
    if (quoted) {
      if (c == quote) quoted = false;
      continue;
    }
    if (c == '"' || c == '\'') {
      quoted = true;
      quote = c;
    } else if (c == 'a' || c == 'A') {
      return StartsNoCase(format, at, "AM/PM") || StartsNoCase(format, at, "A/P") ||
             StartsNoCase(format, at, "AMPM");
    } else if (c == 'h' || c == 'H') {
      return false;
    }
  }
  return false;
}

void AddLiteral(std::vector<Token>& tokens, std::string_view text) {
  if (text.empty()) return;
  if (!tokens.empty() && tokens.back().kind == Kind::Literal) {
    tokens.back().text.append(text);
    return;
  }
  Token token;
  token.text.assign(text);
  tokens.push_back(std::move(token));
}

void AddField(std::vector<Token>& tokens, Kind kind, int digits = 0) {
  Token token;
  token.kind = kind;
  token.digits = digits;
  tokens.push_back(std::move(token));
}

void AppendNumber(std::string& out, int value, int digits) {
  if (value >= 0 && value < 100 && digits <= 2) {  // every field but the year and milliseconds
    if (value < 10 && digits < 2) {
      out.push_back(static_cast<char>('0' + value));
    } else {
      const char pair[2] = {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
      out.append(pair, 2);
    }
    return;
  }
  char buffer[12];
  char* end = buffer + sizeof buffer;
  char* p = end;
  unsigned v = static_cast<unsigned>(value < 0 ? -value : value);
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (end - p < digits) *--p = '0';
  if (value < 0) *--p = '-';
  out.append(p, static_cast<std::size_t>(end - p));
}

}  // namespace

CompiledFormat::CompiledFormat(std::string_view format, const FormatSettings& settings) {
  Compile(format, settings, 0);
  for (const Token& token : tokens_) {
    switch (token.kind) {
      case Kind::Literal:
      case Kind::SkipAtMidnight:
        break;
      case Kind::Hour:
      case Kind::Hour12:
      case Kind::Minute:
      case Kind::Second:
      case Kind::Millisecond:
      case Kind::AmPm:
        needs_time_ = true;
        break;
      default:
        needs_date_ = true;
    }
    if (token.kind == Kind::SkipAtMidnight) needs_time_ = true;
  }
}

void CompiledFormat::Compile(std::string_view format, const FormatSettings& settings, int level) {
  // Nested formats (short date, long time) are expanded two levels deep at most, so a format that
  // names itself cannot recurse without end.
  const bool may_nest = level < 2;
  char last_letter = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    const char starter = format[i];
    std::size_t count = 1;
    while (i + count < format.size() && format[i + count] == starter) ++count;
    char token = static_cast<char>(std::toupper(static_cast<unsigned char>(starter)));
    if (std::isalpha(static_cast<unsigned char>(token))) {
      if (token == 'M' && last_letter == 'H') token = 'N';
      last_letter = token;
    }
    const int c = static_cast<int>(count);
    switch (token) {
      case 'Y':
        AddField(tokens_, c <= 2 ? Kind::Year2 : Kind::Year4, c <= 2 ? 2 : 4);
        i += count;
        break;
      case 'M':
        if (c <= 2)
          AddField(tokens_, Kind::Month, c);
        else
          AddField(tokens_, c == 3 ? Kind::MonthShort : Kind::MonthLong);
        i += count;
        break;
      case 'D':
        if (c <= 2)
          AddField(tokens_, Kind::Day, c);
        else if (c == 3)
          AddField(tokens_, Kind::DayShort);
        else if (c == 4)
          AddField(tokens_, Kind::DayLong);
        else if (may_nest)
          Compile(settings.ShortDateFormat, settings, level + 1);
        i += count;
        break;
      case 'H':
        AddField(tokens_, TwelveHourClockFollows(format, i + count) ? Kind::Hour12 : Kind::Hour,
                 c > 2 ? 2 : c);
        i += count;
        break;
      case 'N':
        AddField(tokens_, Kind::Minute, c > 2 ? 2 : c);
        i += count;
        break;
      case 'S':
        AddField(tokens_, Kind::Second, c > 2 ? 2 : c);
        i += count;
        break;
      case 'Z':
        AddField(tokens_, Kind::Millisecond, c > 3 ? 3 : c);
        i += count;
        break;
      case 'T':
        if (may_nest)
          Compile(c == 1 ? std::string_view("hh:nn") : std::string_view(settings.LongTimeFormat), settings,
                  level + 1);
        i += count;
        break;
      case 'C':
        if (may_nest) {
          Compile(settings.ShortDateFormat, settings, level + 1);
          const std::size_t skip_at = tokens_.size();
          AddField(tokens_, Kind::SkipAtMidnight);
          AddLiteral(tokens_, " ");
          Compile(settings.LongTimeFormat, settings, level + 1);
          tokens_[skip_at].digits = static_cast<int>(tokens_.size() - skip_at - 1);
        }
        i += count;
        break;
      case 'A': {
        Token marker;
        marker.kind = Kind::AmPm;
        if (StartsNoCase(format, i, "AM/PM")) {
          marker.text.assign(format.substr(i, 2));
          marker.text2.assign(format.substr(i + 3, 2));
          i += 5;
        } else if (StartsNoCase(format, i, "A/P")) {
          marker.text.assign(format.substr(i, 1));
          marker.text2.assign(format.substr(i + 2, 1));
          i += 3;
        } else if (StartsNoCase(format, i, "AMPM")) {
          marker.text = "AM";
          marker.text2 = "PM";
          i += 4;
        } else {
          AddLiteral(tokens_, format.substr(i, 1));
          i += 1;
          break;
        }
        tokens_.push_back(std::move(marker));
        break;
      }
      case '"':
      case '\'': {
        std::size_t close = format.find(starter, i + 1);
        if (close == std::string_view::npos) close = format.size();
        AddLiteral(tokens_, format.substr(i + 1, close - i - 1));
        i = close + 1;
        break;
      }
      case '/':
        AddLiteral(tokens_, std::string_view(&settings.DateSeparator, 1));
        i += 1;
        break;
      case ':':
        AddLiteral(tokens_, std::string_view(&settings.TimeSeparator, 1));
        i += 1;
        break;
      default:
        AddLiteral(tokens_, format.substr(i, 1));
        i += 1;
    }
  }
}

void CompiledFormat::AppendTo(std::string& out, DateTime t) const {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, ms = 0;
  if (needs_date_) DecodeDate(t, year, month, day);
  if (needs_time_) DecodeTime(t, hour, minute, second, ms);
  for (std::size_t i = 0; i < tokens_.size(); ++i) {
    const Token& token = tokens_[i];
    switch (token.kind) {
      case Kind::Literal:
        if (token.text.size() == 1)
          out.push_back(token.text[0]);
        else
          out.append(token.text);
        break;
      case Kind::Year2:
        AppendNumber(out, year % 100, 2);
        break;
      case Kind::Year4:
        AppendNumber(out, year, 4);
        break;
      case Kind::Month:
        AppendNumber(out, month, token.digits);
        break;
      case Kind::MonthShort:
        out.append(kMonthShort[month - 1]);
        break;
      case Kind::MonthLong:
        out.append(kMonthLong[month - 1]);
        break;
      case Kind::Day:
        AppendNumber(out, day, token.digits);
        break;
      case Kind::DayShort:
        out.append(kDayShort[DayOfWeek(t)]);
        break;
      case Kind::DayLong:
        out.append(kDayLong[DayOfWeek(t)]);
        break;
      case Kind::Hour:
        AppendNumber(out, hour, token.digits);
        break;
      case Kind::Hour12:
        AppendNumber(out, hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour), token.digits);
        break;
      case Kind::Minute:
        AppendNumber(out, minute, token.digits);
        break;
      case Kind::Second:
        AppendNumber(out, second, token.digits);
        break;
      case Kind::Millisecond:
        AppendNumber(out, ms, token.digits);
        break;
      case Kind::AmPm:
        out.append(hour < 12 ? token.text : token.text2);
        break;
      case Kind::SkipAtMidnight:
        if (hour == 0 && minute == 0 && second == 0 && ms == 0) i += static_cast<std::size_t>(token.digits);
        break;
    }
  }
}

std::string CompiledFormat::Format(DateTime t) const {
  std::string out;
  AppendTo(out, t);
  return out;
}

std::string FormatDateTime(std::string_view format, DateTime t, const FormatSettings& settings) {
  return CompiledFormat(format, settings).Format(t);
}

std::string DateToStr(DateTime t, const FormatSettings& settings) {
  return FormatDateTime(settings.ShortDateFormat, t, settings);
}

std::string TimeToStr(DateTime t, const FormatSettings& settings) {
  return FormatDateTime(settings.LongTimeFormat, t, settings);
}

}  // namespace arl
