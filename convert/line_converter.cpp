#include "convert/line_converter.h"

#include <algorithm>
#include <cstdint>

#include "support/errors.h"
#include "support/text.h"

namespace arl {

namespace {

std::string InsertAt(std::string text, std::size_t pos, char c) {
  text.insert(std::min(pos, text.size()), 1, c);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::int64_t kUnknownMs = INT64_MIN;
constexpr std::int64_t kMsPerMinute = 60'000;

// A line that the plain comma split reads exactly as the comma-text rule would.
bool IsPlain(std::string_view line) {
  for (char c : line)
    if (static_cast<unsigned char>(c) <= 32 || c == '"') return false;
  return !line.empty();
}

// The minute of day of "hhmm00", or -1 for any other time field.
int WholeMinute(std::string_view f) {
  if (f.size() != 6 || f[4] != '0' || f[5] != '0' || !std::all_of(f.begin(), f.begin() + 4, IsDigit))
    return -1;
  const int hour = (f[0] - '0') * 10 + (f[1] - '0'), minute = (f[2] - '0') * 10 + (f[3] - '0');
  return hour < 24 && minute < 60 ? hour * 60 + minute : -1;
}

}  // namespace

std::string ArchiveDateText(std::string_view compact, char separator) {
  return InsertAt(InsertAt(std::string(compact), 4, separator), 7, separator);
}

std::string ArchiveTimeText(std::string_view compact) {
  return InsertAt(InsertAt(std::string(compact), 2, ':'), 5, ':');
}

LineConverter::LineConverter(const FormatSettings& formats, int gapHours)
    : formats_(formats),
      gapMs_(std::int64_t{gapHours} * 3'600'000),
      dateFormat_(formats.ShortDateFormat, formats),
      timeFormat_(formats.LongTimeFormat, formats),
      keyByMinute_(1440),
      haveKey_(1440, 0),
      minuteMs_(1440, kUnknownMs),
      timeTextByMinute_(1440) {}

DateTime LineConverter::ParseDate(std::string_view field) {
  if (haveLastDate_ && field == lastDateField_) return lastDate_;
  DateTime d = StrToDate(ArchiveDateText(field, formats_.DateSeparator), formats_);
  lastDateField_.assign(field);
  lastDate_ = d;
  haveLastDate_ = true;
  return d;
}

std::int64_t LineConverter::ParseTimeMs(std::string_view field) {
  return StrToTime(ArchiveTimeText(field), formats_).ms;
}

bool LineConverter::IsRegularKey(std::string_view key) const {
  const char sep = formats_.DateSeparator;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (key[i] == sep && i != 4 && i != 7) return false;
  return true;
}

std::string_view LineConverter::KeyOf(std::string_view dateField, std::string_view timeField, bool& regular) {
  const int minute = WholeMinute(timeField);
  if (minute >= 0) {
    if (dateField != keyDate_) {
      keyDate_.assign(dateField);
      std::fill(haveKey_.begin(), haveKey_.end(), 0);
    }
    if (const std::uint8_t have = haveKey_[static_cast<std::size_t>(minute)]) {
      statusDateField_ = dateField;
      regular = (have & 2) != 0;
      return keyByMinute_[static_cast<std::size_t>(minute)];
    }
  }
  statusDateField_ = dateField;
  const std::int64_t dateMs = ParseDate(dateField).ms;
  const DateTime t{dateMs + (minute >= 0 ? MinuteMs(minute, timeField) : ParseTimeMs(timeField)) + gapMs_};
  key_.clear();
  AppendDate(t);
  key_.push_back(',');
  AppendTime(t);
  regular = IsRegularKey(key_);
  if (minute < 0) return key_;
  keyByMinute_[static_cast<std::size_t>(minute)] = key_;
  haveKey_[static_cast<std::size_t>(minute)] = regular ? 3 : 1;
  return keyByMinute_[static_cast<std::size_t>(minute)];
}

// A whole minute's field is "hhmm00", so its time depends on the minute alone.
std::int64_t LineConverter::MinuteMs(int minute, std::string_view timeField) {
  std::int64_t& ms = minuteMs_[static_cast<std::size_t>(minute)];
  if (ms == kUnknownMs) ms = ParseTimeMs(timeField);
  return ms;
}

void LineConverter::AppendDate(DateTime t) {
  if (dateFormat_.NeedsTime() || t.ms < 0) return dateFormat_.AppendTo(key_, t);
  if (t.DayNumber() != dateTextDay_) {
    dateText_.clear();
    dateFormat_.AppendTo(dateText_, t);
    dateTextDay_ = t.DayNumber();
  }
  key_.append(dateText_);
}

void LineConverter::AppendTime(DateTime t) {
  if (timeFormat_.NeedsDate() || t.ms < 0 || t.MsOfDay() % kMsPerMinute != 0)
    return timeFormat_.AppendTo(key_, t);
  std::string& text = timeTextByMinute_[static_cast<std::size_t>(t.MsOfDay() / kMsPerMinute)];
  if (text.empty()) timeFormat_.AppendTo(text, t);
  key_.append(text);
}

ConvertedLine LineConverter::Convert(std::string_view line) {
  if (IsPlain(line)) {
    fields_.clear();
    for (std::size_t start = 0;;) {
      const std::size_t comma = line.find(',', start);
      fields_.push_back(
          line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
  } else {
    SplitCommaText(line, fields_, storage_);
  }
  if (fields_.size() < 7)
    throw EConvertError("a quote line has fewer than seven fields: " + std::string(line));
  bool regular = false;
  const std::string_view key = KeyOf(fields_[1], fields_[2], regular);
  prices_.assign(fields_[3]);
  for (std::size_t i = 4; i <= 6; ++i) prices_.append(",").append(fields_[i]);
  return {key, prices_, regular && prices_.find(formats_.DateSeparator) == std::string::npos};
}

ConvertedLine LineConverter::Convert(const ScannedLine& line) {
  if (!line.plain || line.commaCount < 6) return Convert(line.text);
  // A plain line: the fields are the pieces between commas, and fields 3 to 6 stand in the line
  // exactly as they are written out.
  const std::string_view text = line.text;
  const std::size_t c0 = line.commas[0], c1 = line.commas[1], c2 = line.commas[2];
  const std::size_t pricesEnd = line.commaCount > 6 ? line.commas[6] : text.size();
  bool regular = false;
  const std::string_view key =
      KeyOf(text.substr(c0 + 1, c1 - c0 - 1), text.substr(c1 + 1, c2 - c1 - 1), regular);
  const std::string_view prices = text.substr(c2 + 1, pricesEnd - c2 - 1);
  // A line of safe bytes holds no '/'; any other separator is looked for.
  if (regular && !(line.restSafe && formats_.DateSeparator == '/'))
    regular = prices.find(formats_.DateSeparator) == std::string_view::npos;
  return {key, prices, regular};
}

std::string_view LineConverter::NewKeyOnKeyedDate(std::string_view timeField, bool& regular) {
  const std::string_view status = statusDateField_;
  const std::string date = keyDate_;
  const std::string_view key = KeyOf(date, timeField, regular);
  statusDateField_ = status;
  return key;
}

std::string LineConverter::LastArchiveDate() const {
  return ArchiveDateText(statusDateField_, formats_.DateSeparator);
}

}  // namespace arl
