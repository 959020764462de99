// Speed of the all-years merge on generated year files of one currency (26 years of 260 days of
// 1440 lines, about ten million lines): (a) writing a merge file afresh against `cat` of the same
// year files, in the same run; (b) appending one new day to merge files of 5 and of 26 years.
// Arguments: days per year (default 260), repetitions (default 5).
// Exits non-zero when a target is missed: (a) at most 1.3 times cat's time, (b) at most 50 ms per
// currency, and not growing with the merge file's size.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "merge/merge_files.h"
#include "support/files.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFirstYear = 1990, kYears = 26;
int daysPerYear = 260;

// One trading day of one-minute lines, as the conversion writes them.
std::string DayLines(int year, int dayOfYear, unsigned& price) {
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 0, day = 1 + dayOfYear;
  while (day > kMonthDays[month]) day -= kMonthDays[month++];
  std::string text;
  text.reserve(1440 * 48);
  char buf[96];
  for (int m = 0; m < 1440; ++m) {
    price = price * 1103515245u + 12345u;
    const unsigned p = 10000 + (price >> 16) % 9000;
    const int n = std::snprintf(
        buf, sizeof buf, "%04d/%02d/%02d,%02d:%02d:00,1.%04u,1.%04u,1.%04u,1.%04u\r\n", year, month + 1, day,
        m / 60, m % 60, p % 10000, (p + 2) % 10000, (p + 9997) % 10000, (p + 1) % 10000);
    text.append(buf, static_cast<std::size_t>(n));
  }
  return text;
}

// The d-th trading day of the year, spread over the calendar year.
int CalendarDay(int d) { return d * 365 / daysPerYear; }

void WriteWhole(const std::string& path, const std::string& text, bool append = false) {
  std::FILE* f = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(2);
  }
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

struct Bench {
  std::string home;
  arl::benchutil::QuietEvents host;
  arl::benchutil::NoBrowser browser;
  arl::benchutil::NoDownloader downloader;
  arl::Session session;

  explicit Bench(const std::string& dir)
      : home(dir), session(host, browser, downloader, arl::Paths::ForAppDir(dir)) {
    arl::PrepareWorkingFolders(session.paths);
  }
  std::string CurrencyDir(const std::string& ticker) const {
    return session.paths.DataDir + ticker + "/1min/";
  }
  void OnlyTicker(const std::string& ticker) {
    WriteWhole(session.paths.AppDir + "CurrencyList.txt", ticker + "\r\n");
  }
  double TimedMerge() {
    const auto start = Clock::now();
    arl::MergeAll(session);
    return Seconds(Clock::now() - start);
  }
};

}  // namespace

int main(int argc, char** argv) {
  daysPerYear = argc > 1 ? std::clamp(std::atoi(argv[1]), 2, 300) : 260;
  const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const arl::benchutil::ScratchDir scratch;
  const std::string& dir = scratch.path();
  Bench b(dir);

  // 26 years for LONG, the last 5 of them (hard links) for SHORT; the newest year lacks its last day.
  const std::string longDir = b.CurrencyDir("LONG"), shortDir = b.CurrencyDir("SHORT");
  fs::create_directories(longDir);
  fs::create_directories(shortDir);
  std::string lastDay;
  unsigned price = 1;
  std::string catList;
  for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
    const std::string name = "1min_" + std::to_string(y) + ".txt";
    std::string text;
    for (int d = 0; d < daysPerYear; ++d) {
      std::string day = DayLines(y, CalendarDay(d), price);
      if (y == kFirstYear + kYears - 1 && d == daysPerYear - 1) {
        lastDay = std::move(day);
      } else {
        text += day;
      }
    }
    WriteWhole(longDir + name, text);
    if (y >= kFirstYear + kYears - 5) fs::create_hard_link(longDir + name, shortDir + name);
    catList += " '" + longDir + name + "'";
  }
  const std::string newestYear = "1min_" + std::to_string(kFirstYear + kYears - 1) + ".txt";
  // The rebuild is measured with the newest year whole.
  WriteWhole(longDir + newestYear, lastDay, true);
  std::uintmax_t total = 0;
  for (const auto& e : fs::directory_iterator(longDir)) total += e.file_size();
  std::printf("merge bench: %d year files, %.0f MiB, %d lines\n", kYears, total / 1048576.0,
              kYears * daysPerYear * 1440);

  // (a) rebuild against cat, interleaved, each after the page cache's dirty pages were written.
  b.OnlyTicker("LONG");
  const std::string catOut = dir + "cat_out.txt";
  std::vector<double> merges, cats;
  for (int r = 0; r < reps; ++r) {
    fs::remove(longDir + "1min_Merge.txt");
    fs::remove(catOut);
    ::sync();
    merges.push_back(b.TimedMerge());
    ::sync();
    const auto start = Clock::now();
    if (std::system(("cat" + catList + " > '" + catOut + "'").c_str()) != 0) return 2;
    cats.push_back(Seconds(Clock::now() - start));
  }
  const bool same = arl::FileSizeByName(longDir + "1min_Merge.txt") == arl::FileSizeByName(catOut);
  const double ratioMin = Min(merges) / Min(cats), ratioMedian = Median(merges) / Median(cats);
  std::printf(
      "(a) rebuild: merge min %.3f s median %.3f s; cat min %.3f s median %.3f s; ratio min %.2f median "
      "%.2f%s\n",
      Min(merges), Median(merges), Min(cats), Median(cats), ratioMin, ratioMedian,
      same ? "" : " SIZE MISMATCH");
  fs::remove(catOut);

  // Memory stays flat: a rebuild in a child process, its peak resident size.
  fs::remove(longDir + "1min_Merge.txt");
  const auto child = arl::benchutil::RunInChild([&] {
    b.TimedMerge();
    return 0;
  });
  std::printf("(a) rebuild in a child: %.3f s, peak resident %ld KiB\n", child.seconds, child.peakKb);

  // (b) one new day appended to the newest year, merged into 5 and 26 years; the merge file is cut
  // back before every repetition.
  auto appendTimes = [&](const std::string& ticker, const std::string& currencyDir) {
    b.OnlyTicker(ticker);
    const std::string year = currencyDir + newestYear, merge = currencyDir + "1min_Merge.txt";
    const auto withoutDay = static_cast<std::uintmax_t>(fs::file_size(year) - lastDay.size());
    fs::resize_file(year, withoutDay);
    fs::remove(merge);
    b.TimedMerge();  // the merge file up to the day before
    const auto mergeBefore = fs::file_size(merge);
    std::vector<double> times;
    for (int r = 0; r < 4 * reps; ++r) {
      fs::resize_file(year, withoutDay);
      WriteWhole(year, lastDay, true);
      fs::resize_file(merge, mergeBefore);
      times.push_back(b.TimedMerge());
    }
    const bool grew = fs::file_size(merge) == mergeBefore + lastDay.size();
    std::printf("(b) append one day to %s merge (%.0f MiB): min %.1f ms median %.1f ms%s\n", ticker.c_str(),
                mergeBefore / 1048576.0, Min(times) * 1e3, Median(times) * 1e3, grew ? "" : " WRONG SIZE");
    return grew ? Median(times) : 1e9;
  };
  const double short5 = appendTimes("SHORT", shortDir);
  const double long26 = appendTimes("LONG", longDir);

  const bool rebuildOk = same && ratioMin <= 1.3;
  const bool appendOk = long26 <= 0.050 && short5 <= 0.050 && long26 <= 2 * short5 + 0.005;
  std::printf("merge bench: rebuild %s, append %s\n", rebuildOk ? "ok" : "MISSED",
              appendOk ? "ok" : "MISSED");
  return rebuildOk && appendOk ? 0 : 1;
}
