#pragma once
// RunProgress: how far a run has come, as the run reports it to its front end (RunEvents::Progressed):
// the phase, the year among the index page's years, the items of the phase done so far, the bytes
// of the downloads, and an estimate of the time the phase has left. A phase's counts never go back;
// a phase that starts over (a new pass, a new year) starts a new estimate. Only values: nothing here
// raises or touches a file.
#include <cstdint>
#include <string>

namespace arl {

enum class ProgressPhase {
  Discovery,   // the index page: which years there are
  YearPage,    // a year's page: which days it lists
  Download,    // the missing archives of a year (done, total: archives)
  Convert,     // day files into year files (done, total: day files)
  CrossCheck,  // the newest year's year files read back (done, total: tickers)
  Merge,       // the all-years merge files (done, total: tickers)
};

struct RunProgress {
  ProgressPhase phase = ProgressPhase::Discovery;
  int yearIndex = 0, yearCount = 0;  // the year's place among the years, from 1; 0: no year
  std::string year;                  // "2010", or "" for the phases of no one year
  int done = 0, total = 0;           // items finished of the phase's items; total 0: not counted
  std::int64_t bytes = 0;            // downloads: bytes received in the phase so far
  double bytesPerSecond = 0;         // downloads: since the phase began; 0 while not known
  double secondsLeft = -1;           // the phase's time left at its pace so far; negative: not known
  std::string item;                  // what is worked on: an archive, a day file, a ticker
};

// Whether the phase belongs to one year (its reports carry the year).
bool YearBound(ProgressPhase phase);

// The line a front end shows, e.g. 「2010年(3/12) 12/250 件 1.2 MB/s 残り約 3分」.
std::string ProgressText(const RunProgress& progress);

// 「約 40秒」「約 3分」「約 1時間20分」: rounded up, so that the estimate is never too short.
std::string ApproxDuration(double seconds);

}  // namespace arl
