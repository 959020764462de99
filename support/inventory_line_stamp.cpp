#include "support/inventory_line_stamp.h"

#include <cstring>

#include "support/datetime.h"
#include "support/output_line.h"

namespace arl {

namespace {

inline unsigned Digit(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - '0'); }

bool IsDigit(char c) { return Digit(c) < 10; }

}  // namespace

std::int64_t ReadLineDate(const char* p) {
  const char separator = p[4];
  if ((separator != '/' && separator != '-') || p[7] != separator) return kNoDay;
  const unsigned d[8] = {Digit(p[0]), Digit(p[1]), Digit(p[2]), Digit(p[3]),
                         Digit(p[5]), Digit(p[6]), Digit(p[8]), Digit(p[9])};
  for (unsigned v : d)
    if (v > 9) return kNoDay;
  DateTime date;
  if (!TryEncodeDate(static_cast<int>(d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3]),
                     static_cast<int>(d[4] * 10 + d[5]), static_cast<int>(d[6] * 10 + d[7]), date))
    return kNoDay;
  return date.DayNumber();
}

std::int64_t LineDateOffset(const char* p, const char* end) {
  const auto length = end - p;
  if (length > static_cast<std::ptrdiff_t>(kLineDateBytes) && p[kLineDateBytes] == ',' && IsDigit(p[0]) &&
      IsDigit(p[3]) && (p[4] == '/' || p[4] == '-'))
    return 0;
  const void* comma = std::memchr(p, ',', static_cast<std::size_t>(length));
  if (comma == nullptr) return -1;
  const auto at = static_cast<const char*>(comma) - p + 1;
  return length - at > static_cast<std::ptrdiff_t>(kLineDateBytes) ? at : -1;
}

StampTimeReader::StampTimeReader(const RunOptions& options) { problem_ = Compile(options); }

std::string StampTimeReader::Compile(const RunOptions& options) {
  using TokenKind = CompiledFormat::Token::Kind;
  const std::string quoted = "時刻の書式 \"" + options.timeFormat + "\" ";
  const CompiledFormat format(options.timeFormat, RunFormats(options));
  bool hour = false;
  for (const CompiledFormat::Token& token : format.Tokens()) {
    Step step;
    step.minDigits = static_cast<unsigned char>(token.digits);
    step.maxDigits = 2;
    switch (token.kind) {
      case TokenKind::Literal:
        step.text = token.text;
        break;
      case TokenKind::Hour:
      case TokenKind::Hour12:
        step.kind = token.kind == TokenKind::Hour ? Kind::Hour : Kind::Hour12;
        twelveHour_ = twelveHour_ || step.kind == Kind::Hour12;
        hour = true;
        break;
      case TokenKind::Minute:
        step.kind = Kind::Minute;
        break;
      case TokenKind::Second:
        step.kind = Kind::Second;
        break;
      case TokenKind::Millisecond:
        step.kind = Kind::Millisecond;
        step.maxDigits = 3;
        break;
      case TokenKind::AmPm:
        if (token.text == token.text2) return quoted + "の午前と午後が同じ文字なので読み戻せません";
        step.kind = Kind::AmPm;
        step.text = token.text;
        step.text2 = token.text2;
        break;
      default:
        return quoted + "は日付を含むので読み戻せません";
    }
    // A number of free width must be followed by something that cannot be read as its digits.
    if (!steps_.empty()) {
      const Step& before = steps_.back();
      const bool beforeFree =
          before.kind != Kind::Literal && before.kind != Kind::AmPm && before.minDigits < before.maxDigits;
      const bool digitNext = step.kind == Kind::Literal ? IsDigit(step.text[0]) : step.kind != Kind::AmPm;
      if (beforeFree && digitNext) return quoted + "は数字の桁の切れ目が決まらないので読み戻せません";
    }
    steps_.push_back(std::move(step));
  }
  if (!hour) return quoted + "に時 (h) がないので読み戻せません";
  CompileFixed();
  return {};
}

void StampTimeReader::CompileFixed() {
  Fixed fixed;
  std::size_t at = 0;
  for (const Step& step : steps_) {
    if (step.kind == Kind::AmPm || (step.kind != Kind::Literal && step.minDigits != step.maxDigits)) return;
    const std::size_t width = step.kind == Kind::Literal ? step.text.size() : step.minDigits;
    if (at + width > 16 || fixed.count == std::size(fixed.numbers)) return;
    if (step.kind != Kind::Literal)
      fixed.numbers[fixed.count++] = {static_cast<unsigned char>(at), step.minDigits, step.kind};
    for (std::size_t i = 0; i < width; ++i, ++at) {
      const unsigned shift = static_cast<unsigned>(at % 8) * 8;
      std::uint64_t& mask = step.kind == Kind::Literal ? fixed.literalMask[at / 8] : fixed.digitMask[at / 8];
      mask |= std::uint64_t{0xff} << shift;
      if (step.kind == Kind::Literal)
        fixed.literal[at / 8] |= std::uint64_t{static_cast<unsigned char>(step.text[i])} << shift;
    }
  }
  fixed.length = at;
  fixed_ = fixed;
  for (const Step& step : steps_) {
    if (step.kind == Kind::Literal) {
      shape_.literal += step.text;
      shape_.maxDigit.append(step.text.size(), '\0');
      continue;
    }
    if (step.kind == Kind::Hour) shape_.hourAt = static_cast<int>(shape_.literal.size());
    shape_.literal.append(step.minDigits, '\0');
    // The largest value's digits: 23 for hours (checked whole), 59 for minutes and seconds.
    if (step.kind == Kind::Millisecond || step.minDigits != 2)
      shape_.maxDigit.append(step.minDigits, '9');
    else
      shape_.maxDigit += step.kind == Kind::Hour ? "29" : "59";
  }
}

const char* StampTimeReader::ReadFixed(const char* p, int& secondOfDay) const {
  std::uint64_t word[2];
  std::memcpy(word, p, sizeof word);
  for (int i = 0; i < 2; ++i) {
    if (((word[i] ^ fixed_.literal[i]) & fixed_.literalMask[i]) != 0) return nullptr;
    // Each digit place holds 0x30..0x39: its high half is 3, also after adding 6.
    const std::uint64_t digits =
        (word[i] & fixed_.digitMask[i]) | (0x3030303030303030u & ~fixed_.digitMask[i]);
    if ((digits & 0xf0f0f0f0f0f0f0f0u) != 0x3030303030303030u ||
        ((digits + 0x0606060606060606u) & 0xf0f0f0f0f0f0f0f0u) != 0x3030303030303030u)
      return nullptr;
  }
  int hour = 0, minute = 0, second = 0;
  for (std::size_t n = 0; n < fixed_.count; ++n) {
    const Fixed::Number& number = fixed_.numbers[n];
    const char* at = p + number.at;
    int value = 0;
    if (number.digits == 2) {
      value = at[0] * 10 + at[1] - ('0' * 11);
    } else {
      for (unsigned i = 0; i < number.digits; ++i) value = value * 10 + (at[i] - '0');
    }
    if (number.kind == Kind::Hour)
      hour = value;
    else if (number.kind == Kind::Minute)
      minute = value;
    else if (number.kind == Kind::Second)
      second = value;
  }
  if (hour > 23 || minute > 59 || second > 59) return nullptr;
  secondOfDay = (hour * 60 + minute) * 60 + second;
  return p + fixed_.length;
}

const char* StampTimeReader::ReadSteps(const char* p, const char* end, int& secondOfDay) const {
  int hour = 0, minute = 0, second = 0;
  int afternoon = -1;  // unknown until an AM/PM marker is read
  for (const Step& step : steps_) {
    if (step.kind == Kind::Literal) {
      const std::size_t n = step.text.size();
      if (static_cast<std::size_t>(end - p) < n || std::memcmp(p, step.text.data(), n) != 0) return nullptr;
      p += n;
      continue;
    }
    if (step.kind == Kind::AmPm) {
      const auto left = static_cast<std::size_t>(end - p);
      if (left >= step.text.size() && std::memcmp(p, step.text.data(), step.text.size()) == 0) {
        afternoon = 0;
        p += step.text.size();
      } else if (left >= step.text2.size() && std::memcmp(p, step.text2.data(), step.text2.size()) == 0) {
        afternoon = 1;
        p += step.text2.size();
      } else {
        return nullptr;
      }
      continue;
    }
    int value = 0;
    int digits = 0;
    while (digits < step.maxDigits && p < end && IsDigit(*p)) {
      value = value * 10 + static_cast<int>(Digit(*p++));
      ++digits;
    }
    if (digits < step.minDigits || digits == 0) return nullptr;
    switch (step.kind) {
      case Kind::Hour:
        hour = value;
        break;
      case Kind::Hour12:
        if (value < 1 || value > 12) return nullptr;
        hour = value == 12 ? 0 : value;  // made a 24-hour value when the marker is read
        break;
      case Kind::Minute:
        minute = value;
        break;
      case Kind::Second:
        second = value;
        break;
      default:
        break;  // milliseconds: the inventory counts whole seconds
    }
  }
  if (twelveHour_ && afternoon == 1) hour += 12;
  if (hour > 23 || minute > 59 || second > 59) return nullptr;
  secondOfDay = (hour * 60 + minute) * 60 + second;
  return p;
}

}  // namespace arl
