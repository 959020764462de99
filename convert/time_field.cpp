#include "convert/time_field.h"

#include <cstring>

namespace arl {

namespace {

using Kind = CompiledFormat::Token::Kind;

// Where Read keeps the fields it has read; -1 for a field not read.
enum Field { kHour, kHour12, kMinute, kSecond, kMillisecond, kAfternoon, kFieldCount };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsName(Kind kind) {
  return kind == Kind::MonthShort || kind == Kind::MonthLong || kind == Kind::DayShort ||
         kind == Kind::DayLong;
}

// The widest number a field prints and its greatest value; 0 for what is not a number.
void NumberRange(Kind kind, int& maxWidth, int& high) {
  maxWidth = 2;
  switch (kind) {
    case Kind::Year2:
      high = 99;
      break;
    case Kind::Year4:
      maxWidth = 4, high = 9999;
      break;
    case Kind::Month:
      high = 12;
      break;
    case Kind::Day:
      high = 31;
      break;
    case Kind::Hour:
      high = 23;
      break;
    case Kind::Hour12:
      high = 12;
      break;
    case Kind::Minute:
    case Kind::Second:
      high = 59;
      break;
    case Kind::Millisecond:
      maxWidth = 3, high = 999;
      break;
    default:
      maxWidth = 0, high = 0;
  }
}

int FieldOf(Kind kind) {
  switch (kind) {
    case Kind::Hour:
      return kHour;
    case Kind::Hour12:
      return kHour12;
    case Kind::Minute:
      return kMinute;
    case Kind::Second:
      return kSecond;
    case Kind::Millisecond:
      return kMillisecond;
    default:
      return -1;
  }
}

bool StartsWith(const char* p, const char* end, const std::string& text) {
  return !text.empty() && static_cast<std::size_t>(end - p) >= text.size() &&
         std::memcmp(p, text.data(), text.size()) == 0;
}

}  // namespace

TimeFieldReader::TimeFieldReader(const CompiledFormat& format) : format_(format) {
  int seen[kFieldCount] = {};
  for (const CompiledFormat::Token& token : format.Tokens()) {
    Step step;
    step.kind = token.kind;
    NumberRange(token.kind, step.maxWidth, step.high);
    step.minWidth = step.maxWidth > 0 ? (token.kind == Kind::Year4 ? 4 : token.digits) : 0;
    if (token.kind == Kind::SkipAtMidnight) step.skip = token.digits;
    step.text = token.text;
    step.text2 = token.text2;
    const int field = FieldOf(token.kind);
    // Fields of the date, names, markers and "c" are checked by printing again; so is a field shown
    // twice, which a line could show with two values.
    if (token.kind != Kind::Literal && (field < 0 || seen[field]++ > 0)) reprint_ = true;
    steps_.push_back(std::move(step));
  }
  readable_ = CheckReadable();
  if (readable_ && !format_.NeedsDate()) PrintMinutes();
}

void TimeFieldReader::PrintMinutes() {
  std::vector<char> texts(1440 * kStride);
  std::vector<std::uint8_t> sizes(1440);
  std::string text;
  for (std::size_t minute = 0; minute < 1440; ++minute) {
    text.clear();
    format_.AppendTo(text, DateTime{static_cast<std::int64_t>(minute) * 60'000});
    if (text.size() > 16 || text.find_first_of(",\r\n") != std::string::npos) return;
    std::memcpy(&texts[minute * kStride], text.data(), text.size());
    sizes[minute] = static_cast<std::uint8_t>(text.size());
  }
  minuteTexts_ = std::move(texts);
  minuteSizes_ = std::move(sizes);
}

bool TimeFieldReader::MayStartWith(std::size_t i, bool digit) const {
  if (i >= steps_.size()) return false;
  const Step& step = steps_[i];
  switch (step.kind) {
    case Kind::Literal:
      if (step.text.empty()) return MayStartWith(i + 1, digit);
      return digit ? IsDigit(step.text[0]) : IsLetter(step.text[0]);
    case Kind::SkipAtMidnight:
      return MayStartWith(i + 1, digit) || MayStartWith(i + 1 + static_cast<std::size_t>(step.skip), digit);
    case Kind::AmPm:
      return !digit;
    default:
      return IsName(step.kind) ? !digit : digit;
  }
}

bool TimeFieldReader::CheckReadable() {
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    if (step.minWidth < step.maxWidth && MayStartWith(i + 1, true)) return false;
    if (IsName(step.kind) && MayStartWith(i + 1, false)) return false;
  }
  readable_ = true;
  // Every minute of a day must read back to itself, and times within some minutes to their minute.
  const std::int64_t day = EncodeDate(2005, 1, 3).DayNumber();
  std::string text;
  for (std::int32_t minute = 0; minute < 1440; ++minute) {
    for (std::int32_t within : {0, 30'500}) {
      if (within != 0 && minute % 10 != 7) continue;
      const std::int32_t ms = minute * 60'000 + within;
      text.clear();
      format_.AppendTo(text, DateTime{day * DateTime::kMsPerDay + ms});
      std::int32_t read = -1;
      const char* end = text.data() + text.size();
      if (Read(text.data(), end, day, read) != end || read / 60'000 != minute) return false;
    }
  }
  return true;
}

const char* TimeFieldReader::ReadSteps(const char* p, const char* end, std::size_t from, std::size_t to,
                                       int* values) const {
  for (std::size_t i = from; i < to; ++i) {
    const Step& step = steps_[i];
    if (step.kind == Kind::Literal) {
      if (static_cast<std::size_t>(end - p) < step.text.size()) return nullptr;
      // Most literals are one separator.
      if (step.text.size() == 1 ? *p != step.text[0]
                                : std::memcmp(p, step.text.data(), step.text.size()) != 0)
        return nullptr;
      p += step.text.size();
    } else if (step.maxWidth > 0) {
      const char* start = p;
      int value = 0;
      while (p < end && p - start < step.maxWidth && IsDigit(*p)) value = value * 10 + (*p++ - '0');
      const auto width = static_cast<int>(p - start);
      // A number wider than its least width has no leading zero, as printed.
      if (width < step.minWidth || (width > step.minWidth && *start == '0') || value > step.high)
        return nullptr;
      if (step.kind == Kind::Hour12 && value == 0) return nullptr;
      if (const int field = FieldOf(step.kind); field >= 0) values[field] = value;
    } else if (IsName(step.kind)) {
      const char* start = p;
      while (p < end && IsLetter(*p)) ++p;
      if (p == start) return nullptr;
    } else if (step.kind == Kind::AmPm) {
      const bool morning = StartsWith(p, end, step.text);
      if (!morning && !StartsWith(p, end, step.text2)) return nullptr;
      values[kAfternoon] = morning ? 0 : 1;
      p += morning ? step.text.size() : step.text2.size();
    } else if (step.kind == Kind::SkipAtMidnight) {
      // The time after the date is left out at midnight.
      const std::size_t after = i + 1 + static_cast<std::size_t>(step.skip);
      int kept[kFieldCount];
      std::memcpy(kept, values, sizeof kept);
      const char* q = ReadSteps(p, end, i + 1, after, values);
      if (q != nullptr)
        p = q;
      else
        std::memcpy(values, kept, sizeof kept);
      i = after - 1;
    }
  }
  return p;
}

const char* TimeFieldReader::ReadAny(const char* p, const char* end, std::int64_t day,
                                     std::int32_t& msOfDay) {
  int values[kFieldCount] = {0, -1, 0, 0, 0, -1};
  const char* q = ReadSteps(p, end, 0, steps_.size(), values);
  if (q == nullptr) return nullptr;
  int hour = values[kHour];
  if (values[kHour12] >= 0) hour = values[kHour12] % 12 + (values[kAfternoon] == 1 ? 12 : 0);
  msOfDay = ((hour * 60 + values[kMinute]) * 60 + values[kSecond]) * 1000 + values[kMillisecond];
  if (reprint_) {
    printed_.clear();
    format_.AppendTo(printed_, DateTime{day * DateTime::kMsPerDay + msOfDay});
    if (printed_.size() != static_cast<std::size_t>(q - p) ||
        std::memcmp(printed_.data(), p, printed_.size()) != 0)
      return nullptr;
  }
  lastMinute_ = msOfDay / 60'000;
  return q;
}

}  // namespace arl
