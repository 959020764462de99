// The calendar arithmetic of date-times: proleptic Gregorian dates for the years 1 to 9999 counted
// from 1899-12-30, and the local clock.
#include "support/datetime.h"

#include <sys/time.h>

#include <cmath>
#include <ctime>

#include "support/errors.h"

namespace arl {

namespace {

constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 counted from 1899-12-30

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a civil date (the classic era-based conversion).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

DateTime DateTime::FromDays(double days) {
  return DateTime{static_cast<std::int64_t>(std::llround(days * static_cast<double>(kMsPerDay)))};
}

std::int64_t DateTime::DayNumber() const {
  std::int64_t q = ms / kMsPerDay;
  if (ms % kMsPerDay < 0) --q;
  return q;
}

std::int64_t DateTime::MsOfDay() const { return ms - DayNumber() * kMsPerDay; }

bool TryEncodeDate(int year, int month, int day, DateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  result = DateTime{(DaysFromCivil(year, month, day) + kUnixEpochDay) * DateTime::kMsPerDay};
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return false;
  result = DateTime{((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond};
  return true;
}

DateTime EncodeDate(int year, int month, int day) {
  DateTime result;
  if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  DateTime result;
  if (!TryEncodeTime(hour, minute, second, millisecond, result))
    throw EConvertError("Invalid argument to time encode");
  return result;
}

void DecodeDate(DateTime t, int& year, int& month, int& day) {
  CivilFromDays(t.DayNumber() - kUnixEpochDay, year, month, day);
}

void DecodeTime(DateTime t, int& hour, int& minute, int& second, int& millisecond) {
  std::int64_t ms = t.MsOfDay();
  millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  second = static_cast<int>(ms % 60);
  ms /= 60;
  minute = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

int DayOfWeek(DateTime t) {
  std::int64_t w = (t.DayNumber() + 6) % 7;  // 1899-12-30 was a Saturday
  return static_cast<int>(w < 0 ? w + 7 : w);
}

int CurrentYear(DateTime t) {
  int year, month, day;
  DecodeDate(t, year, month, day);
  return year;
}

DateTime Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  DateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays in its minute
  DateTime time = EncodeTime(local.tm_hour, local.tm_min, second, static_cast<int>(now.tv_nsec / 1'000'000));
  return DateTime{date.ms + time.ms};
}

}  // namespace arl
