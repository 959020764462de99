#pragma once
// Shared by the bar tests: sinks that keep every bar line, the options of a run in one call, and the
// bars of some 1-minute texts fed in pieces.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "convert/bar_maker.h"

namespace arl::test {

struct KeptBars : BarSink {
  std::string text;
  std::vector<int> years;
  void Took(int year, std::string_view line) override {
    text.append(line);
    years.push_back(year);
    lines.Clear();
  }
};

struct BarOutput {
  std::array<KeptBars, kTimeframeCount> frames;
  BarSinks Sinks() {
    BarSinks sinks{};
    for (std::size_t i = 0; i < sinks.size(); ++i) sinks[i] = &frames[i];
    return sinks;
  }
};

inline RunOptions BarOptions(bool keepTicker = false, char separator = '/',
                             const std::string& timeFormat = "hh:nn:ss", int shift = -6) {
  RunOptions o;
  o.keepTicker = keepTicker;
  o.dateSeparator = separator;
  o.timeFormat = timeFormat;
  o.shiftHours = shift;
  return o;
}

// Feeds the texts as files named 0, 1, ... in pieces of 1 to `piece` bytes and finishes.
inline bool FeedInPieces(BarMaker& maker, const std::vector<std::string>& texts, unsigned seed,
                         std::size_t piece = 4000) {
  for (std::size_t f = 0; f < texts.size(); ++f) {
    maker.StartFile(std::to_string(f));
    for (std::size_t at = 0; at < texts[f].size();) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t n = std::min<std::size_t>(1 + (seed >> 8) % piece, texts[f].size() - at);
      maker.Feed(std::string_view(texts[f]).substr(at, n));
      at += n;
    }
    maker.EndFile();
  }
  return maker.Finish();
}

}  // namespace arl::test
