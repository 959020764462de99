#pragma once
// Shared set-up of the merge tests: a fake session with two currencies, generated year files and
// readers of the merge file and the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "merge/merge_files.h"
#include "support/files.h"
#include "tests/common/fake_host.h"

namespace arl::test {

struct YearShape {
  int days = 3;          // days from 2 January on
  int perDay = 20;       // lines per day, one per minute from 00:00
  bool ticker = false;   // lines begin with the ticker
  char separator = '/';  // between the parts of the date
};

// One year file's lines: unique dates and times, prices that change with the minute.
inline std::string YearText(const std::string& ticker, int year, const YearShape& shape = {}) {
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::string text;
  char buf[128];
  for (int d = 0; d < shape.days; ++d) {
    int month = 0, day = 2 + d;
    while (day > kMonthDays[month]) day -= kMonthDays[month++];
    for (int m = 0; m < shape.perDay; ++m) {
      const int price = 3000 + (d * 1440 + m) % 7000;
      std::snprintf(buf, sizeof buf, "%s%04d%c%02d%c%02d,%02d:%02d:00,1.%04d,1.%04d,1.%04d,1.%04d\r\n",
                    shape.ticker ? (ticker + ",").c_str() : "", year, shape.separator, month + 1,
                    shape.separator, day, m / 60, m % 60, price, price + 2, price - 2, price + 1);
      text += buf;
    }
  }
  return text;
}

class MergeTest : public ::testing::Test {
 protected:
  FakeSession fake{{"EURUSD", "USDJPY"}};
  Session& s = fake.session;
  FakeEvents& host = fake.host;

  std::string Dir(const std::string& ticker) const { return s.paths.DataDir + ticker + "/1min/"; }
  std::string YearPath(const std::string& ticker, int year) const {
    return Dir(ticker) + "1min_" + std::to_string(year) + ".txt";
  }
  std::string MergePath(const std::string& ticker) const { return Dir(ticker) + "1min_Merge.txt"; }

  // Writes the year files of both currencies and returns EURUSD's concatenation.
  std::string WriteYears(int from, int to, const YearShape& shape = {}) {
    std::string all;
    for (const char* ticker : {"EURUSD", "USDJPY"}) {
      for (int y = from; y <= to; ++y) {
        const std::string text = YearText(ticker, y, shape);
        WriteFile(YearPath(ticker, y), text);
        if (std::string(ticker) == "EURUSD") all += text;
      }
    }
    return all;
  }
  std::string Merge(const std::string& ticker = "EURUSD") const { return ReadFile(MergePath(ticker)); }

  // The log as one text, lines joined by "\n".
  std::string Log() const {
    std::string text;
    for (const auto& line : host.logged) text += line + "\n";
    return text;
  }
  int Count(const std::string& needle) const {
    const std::string log = Log();
    int n = 0;
    for (std::size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++n;
    return n;
  }
  bool Completed() const { return Count("全てのMerge.txtの作成完了") == 1; }
  bool Failed(const std::string& ticker) const {
    return Count(ticker + " Merge.txtの追記作成に失敗しました。\n再度実行してみてください\n") == 1;
  }
};

// Moves a file's modification time `seconds` into the past (file times are coarser than a test).
inline void Age(const std::string& path, int seconds) {
  namespace fs = std::filesystem;
  fs::last_write_time(path, fs::last_write_time(path) - std::chrono::seconds(seconds));
}

// The first `n` lines of a text, each with its CR LF.
inline std::string FirstLines(const std::string& text, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < n; ++i) at = text.find("\r\n", at) + 2;
  return text.substr(0, at);
}
// The line that ends just before byte `end` (which follows a CR LF).
inline std::string LineBefore(const std::string& text, std::size_t end) {
  const std::size_t start = text.rfind("\r\n", end - 3);
  const std::size_t from = start == std::string::npos ? 0 : start + 2;
  return text.substr(from, end - 2 - from);
}

}  // namespace arl::test
