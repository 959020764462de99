// Speed of the inventory report (autorateloom-cli --report) over one currency's 26 year files of
// generated one-minute lines (260 trading days of 1440 lines each, about 450 MiB), against `cat` of
// the same files to /dev/null, measured in the same run and interleaved, both from the page cache.
// Arguments: days per year (default 260), repetitions (default 5).
// Exits non-zero when the report takes more than 1.5 times cat's time, or its line count is wrong.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFirstYear = 1999, kYears = 26;

// One day's lines as the conversion writes them with the defaults: every minute, prices moving.
std::string DayLines(int year, int month, int day, unsigned& price) {
  std::string text;
  text.reserve(1440 * 54);
  char buf[96];
  for (int m = 0; m < 1440; ++m) {
    price = price * 1103515245u + 12345u;
    const unsigned p = 10000 + (price >> 16) % 9000;
    const int n = std::snprintf(
        buf, sizeof buf, "%04d/%02d/%02d,%02d:%02d:00,1.%04u,1.%04u,1.%04u,1.%04u\r\n", year, month, day,
        m / 60, m % 60, p % 10000, (p + 2) % 10000, (p + 9997) % 10000, (p + 1) % 10000);
    text.append(buf, static_cast<std::size_t>(n));
  }
  return text;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv) {
  const int daysPerYear = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 260) : 260;
  const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const arl::benchutil::ScratchDir scratch;
  const std::string home = scratch.path();
  const std::string dir = home + "HistoricalData/BENCH/1min/";
  fs::create_directories(dir);
  std::string files;
  unsigned price = 1;
  long long lines = 0;
  for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
    const std::string path = dir + "1min_" + std::to_string(y) + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 2;
    // The first weekdays of the year, so that the report has dates to compare and gaps to list.
    int written = 0;
    for (int d = 0; written < daysPerYear && d < 360; ++d) {
      const int month = 1 + d / 30, day = 1 + d % 30;
      if (month > 12 || (month == 2 && day > 28)) continue;
      if (d % 7 >= 5) continue;
      const std::string text = DayLines(y, month, day, price);
      if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) return 2;
      ++written;
      lines += 1440;
    }
    if (std::fclose(f) != 0) return 2;
    files += " '" + path + "'";
  }
  std::uintmax_t total = 0;
  for (const auto& e : fs::directory_iterator(dir)) total += e.file_size();
  std::printf("report bench: %d year files, %.0f MiB, %lld lines\n", kYears, total / 1048576.0, lines);

  const std::string csv = home + "report.csv";
  const std::string report = "'" + arl::ExecutableDir() + "autorateloom-cli' --home '" + home +
                             "' --report --ticker BENCH --format csv > '" + csv + "'";
  const std::string cat = "cat" + files + " > /dev/null";
  std::system(cat.c_str());  // into the page cache
  std::vector<double> reports, cats;
  for (int r = 0; r < reps; ++r) {
    reports.push_back(arl::benchutil::ShellSeconds(report));
    cats.push_back(arl::benchutil::ShellSeconds(cat));
  }
  // The report's own figure: the lines of all years.
  long long counted = 0;
  if (std::FILE* f = std::fopen(csv.c_str(), "rb")) {
    char line[1 << 16];
    while (std::fgets(line, sizeof line, f))
      if (std::string_view(line).starts_with("BENCH,")) counted += std::atoll(std::strchr(line + 6, ',') + 1);
    std::fclose(f);
  }
  const double ratioMin = Min(reports) / Min(cats), ratioMedian = Median(reports) / Median(cats);
  const bool right = counted == lines;
  std::printf("report min %.3f s median %.3f s; cat min %.3f s median %.3f s; ratio min %.2f median %.2f%s\n",
              Min(reports), Median(reports), Min(cats), Median(cats), ratioMin, ratioMedian,
              right ? "" : " WRONG LINE COUNT");
  const bool ok = right && ratioMin <= 1.5;
  std::printf("TARGET report <= 1.5 x cat: %s\n", ok ? "ok" : "MISSED");
  return ok ? 0 : 1;
}
