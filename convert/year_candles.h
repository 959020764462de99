#pragma once
// Candles for a chart: the bars of the bar engine (BarMaker) as numbers. The engine keeps the prices
// as the archive wrote them; a chart draws doubles, so each finished bar's line is read back with the
// 1-minute line reader (a bar line has the shape of a 1-minute line) and its prices converted.
// MakeYearCandles fails as the engine does, on the first line it cannot read, or when a file cannot
// be read; the candles made by then are kept and the problem says why the rest are missing.
// The header is light (no reader types), so that a front end may include it beside the inventory.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/home_layout.h"

namespace arl {

struct Candle {
  std::int64_t minute = 0;  // the bar's start: minutes since 1899-12-30, in the year files' time
  double open = 0, high = 0, low = 0, close = 0;
};

struct YearCandles {
  std::vector<Candle> daily, hourly;
  std::string problem;  // "" when every line of the year was read
};

// The daily and hourly candles of the ticker's calendar year. They come from its year file and from
// the files of the year before and after, which hold the minutes a shift moved across the turn of
// the year.
YearCandles MakeYearCandles(const Paths& paths, const RunOptions& options, std::string_view ticker, int year);

}  // namespace arl
