#pragma once
// Realistic generated archive data: one-minute bars of many tickers per trading day, deterministic
// from a seed. Used by the tests, the benchmarks, the fake archive site and the demo.
#include <cstdint>
#include <string>
#include <vector>

namespace arl::tools {

// The first `count` tickers of a realistic list of about 70 (majors first, then crosses, metals,
// exotics); count is clamped to the list's size.
std::vector<std::string> DefaultTickers(int count);

// Weekdays except 1 January and 25 December.
bool IsTradingDay(int year, int month, int day);
// The trading days of a year, in date order, as {year, month, day}.
struct Ymd {
  int year, month, day;
};
std::vector<Ymd> TradingDays(int year);

struct DayDataOptions {
  std::uint64_t seed = 1;
  std::vector<std::string> tickers = DefaultTickers(10);
  bool heading = true;    // a heading line first
  double gapRate = 0.02;  // share of minutes without a bar
  int firstMinute = 0;    // minutes of the day (archive time) covered: [firstMinute, lastMinute]
  int lastMinute = 1439;
};

// The content of the day file of that date (what ddmmyy.txt holds in ddmmyy.zip): lines like
// EURUSD,20050103,000100,1.3559,1.3561,1.3557,1.3560 ending in CR LF, ticker by ticker, each ticker's
// bars in time order. Deterministic for (date, options).
std::string MakeDayFile(const Ymd& date, const DayDataOptions& options);

// "ddmmyy.zip" and "yymmdd.txt" names of a date.
std::string ArchiveName(const Ymd& date);
std::string DayFileNameOf(const Ymd& date);

}  // namespace arl::tools
