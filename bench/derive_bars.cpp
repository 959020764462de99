// Bar speed: all six timeframes derived from full 1-minute year files (made by the 1-minute rebuild
// from generated day files), against reading the same files with read() into a buffer as `cat`
// does, and against that rebuild, which runs on two threads: with two or more currencies the bars
// are made on two threads as well, half of the currencies each, and should take at most half the
// rebuild's time. Exits 1 when they do not.
// Usage: bench_derive_bars [days (default 260)] [tickers (default 1; 70 for the whole comparison)]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "bench/bench_year.h"
#include "convert/bar_files.h"
#include "convert/currency_update.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/text.h"
#include "support/unique_fd.h"
#include "tools/lib/day_data.h"

using namespace arl;

namespace {

// What the bar files of one timeframe would get, written out when the currency is done.
struct TextSink : BarSink {
  std::string text;
  std::size_t bars = 0;
  void Took(int, std::string_view line) override {
    text.append(line);
    ++bars;
    lines.Clear();
  }
};

// read() of every file into one buffer, as `cat` does.
std::int64_t ReadAll(const std::vector<std::string>& files) {
  std::vector<char> buffer(1 << 20);
  std::int64_t total = 0;
  for (const std::string& path : files) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    for (ssize_t got; (got = ::read(fd.Get(), buffer.data(), buffer.size())) > 0;) total += got;
  }
  return total;
}

// The bars of 2005 of files [first, last), each written beside its file; the number of bar lines.
// The bars of one currency are kept in memory and written when it is done, into buffers reused for
// the next.
std::size_t DeriveAll(const RunOptions& options, const std::vector<std::string>& files,
                      const std::vector<std::string>& tickers, std::size_t first, std::size_t last) {
  std::array<TextSink, kTimeframeCount> sinks;
  BarSinks to{};
  for (std::size_t f = 0; f < sinks.size(); ++f) to[f] = &sinks[f];
  std::size_t bars = 0;
  for (std::size_t i = first; i < last; ++i) {
    for (TextSink& sink : sinks) sink.text.clear(), sink.bars = 0;
    BarMaker maker(options, tickers[i], to, BarWindow::Year(2005));
    if (!MakeBarsFromFiles(maker, {files[i]})) {
      std::printf("bars FAILED: %s\n", maker.Fault().Message().c_str());
      std::exit(1);
    }
    for (std::size_t f = 0; f < sinks.size(); ++f) {
      benchutil::WriteText(files[i] + "." + std::string(kTimeframes[f].name), sinks[f].text);
      bars += sinks[f].bars;
    }
  }
  return bars;
}

}  // namespace

int main(int argc, char** argv) {
  const int dayCount = argc > 1 ? std::max(2, std::atoi(argv[1])) : 260;
  const int tickerCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  benchutil::BenchYear year(dayCount, tickerCount);
  Session& s = year.s;
  const tools::DayDataOptions& day = year.day;
  std::printf("generating %zu day files x %d tickers ...\n", year.days.size(), tickerCount);
  std::fflush(stdout);
  LineList names;
  for (std::size_t i = 0; i < year.days.size(); ++i) names.push_back(year.WriteDay(i));

  // The 1-minute full-year rebuild, fastest of three; its year files are what the bars read.
  double rebuild = 1e9;
  for (int round = 0; round < 3; ++round) {
    std::filesystem::remove_all(s.paths.DataDir);
    PrepareWorkingFolders(s.paths);
    ::sync();
    const auto run = benchutil::RunInChild([&] {
      LineList list = names;
      return UpdateCurrencyYearFiles(s, list, "2005") ? 0 : 1;
    });
    if (run.exitCode != 0) {
      std::printf("rebuild FAILED\n");
      return 1;
    }
    rebuild = std::min(rebuild, run.seconds);
  }
  std::vector<std::string> files;
  for (const auto& t : day.tickers) files.push_back(s.paths.DataDir + t + "/1min/1min_2005.txt");
  std::int64_t bytes = 0, lines = 0;
  for (const auto& f : files) {
    bytes += FileSizeByName(f);
    TextReader reader(f);
    for (std::string_view line; reader.ReadLine(line);) ++lines;
  }

  // Bars against read(), fastest of five each, the files in the cache; with more than one currency
  // also on two threads, half of the currencies each, as the rebuild runs on two.
  const RunOptions options = s.Options();
  const std::size_t n = files.size();
  ReadAll(files);
  double read = 1e9, one = 1e9, two = 1e9;
  std::size_t barLines = 0;
  // Each timed step starts without bar files and with the disk caught up, as the rebuild's rounds do.
  const auto noBarFiles = [&] {
    for (const std::string& f : files)
      for (const TimeframeInfo& t : kTimeframes) DeleteFile(f + "." + std::string(t.name));
    ::sync();
  };
  for (int round = 0; round < 5; ++round) {
    read = std::min(read, benchutil::Seconds([&] { ReadAll(files); }));
    noBarFiles();
    one = std::min(one, benchutil::Seconds([&] { barLines = DeriveAll(options, files, day.tickers, 0, n); }));
    if (n < 2) continue;
    noBarFiles();
    two = std::min(two, benchutil::Seconds([&] {
                     std::thread other([&] { DeriveAll(options, files, day.tickers, 0, n / 2); });
                     DeriveAll(options, files, day.tickers, n / 2, n);
                     other.join();
                   }));
  }
  const double mb = static_cast<double>(bytes) / 1e6;
  std::printf(
      "bars of %zu year files: %lld lines, %.1f MB -> %zu bars in %.3f s (%.0f MB/s, %.1f M lines/s); read() "
      "%.3f s (%.0f MB/s); ratio %.2f\n",
      n, static_cast<long long>(lines), mb, barLines, one, mb / one, static_cast<double>(lines) / one / 1e6,
      read, mb / read, one / read);
  std::printf("1-minute full-year rebuild of the same currencies (two threads) %.3f s; bars / rebuild %.3f\n",
              rebuild, one / rebuild);
  if (n < 2) return 0;
  std::printf("bars on two threads %.3f s (%.0f MB/s); bars / rebuild %.3f (target <= 0.5)\n", two, mb / two,
              two / rebuild);
  return two / rebuild <= 0.5 ? 0 : 1;
}
