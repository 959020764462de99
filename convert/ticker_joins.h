#pragma once
// TickerJoins: the year files of one conversion pass and the joining of converted lines into them
// from two threads. A ticker's lines must reach its year file in day-file order: a day's front part
// before the parts behind it, a day before the next. The lines of the parts behind the front part
// wait ("pending") until that day's front part is done; then whichever thread needs the ticker first
// joins them: the main thread when the next day's front part reaches the ticker, or either thread
// sweeping them up once its share of the next day is converted. A lock per ticker keeps the two
// apart. I/O errors of the year files raise EInOutError from the joining call.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "convert/day_part.h"
#include "convert/year_output.h"

namespace arl {

struct TickerRun {
  std::string ticker;
  std::unique_ptr<YearOutput> out;
  bool hadLines = false;           // an earlier day file of the call had lines of the ticker
  std::size_t lastDay = SIZE_MAX;  // the day of the call whose lines it received last
  std::vector<std::string>* logs = nullptr;
};

// Which day file a part's lines come from, and how many lines of the file lie in front of the part.
struct DayRef {
  std::size_t number = 0;
  std::string name;
  std::size_t before = 0;
};

class TickerJoins {
 public:
  explicit TickerJoins(std::vector<TickerRun>& runs)
      : runs_(runs), locks_(runs.size()), pending_(runs.size()) {}

  // Before the ticker's first line of a piece of the front part: joins its pending lines, cuts its
  // year file where the day's first line overlaps it, and lends the year file's bytes to `lines`.
  void Lend(std::size_t ticker, TickerLines& lines, const DayRef& day);
  // Joins the ticker's lines now, after its pending ones (or takes lent bytes back), and writes them out.
  void Join(std::size_t ticker, TickerLines& lines, const DayRef& day);
  // The lines of the parts of a day behind its front part wait, the parts in file order; nothing
  // may be pending and no thread joining.
  struct Waiting {
    std::vector<TickerLines>* lines;
    DayRef day;
  };
  void SetPending(std::vector<Waiting> parts);
  // Joins the pending lines of every `step`-th ticker from `first`.
  void JoinPending(std::size_t first = 0, std::size_t step = 1);
  // The same from the last ticker on: two threads sweeping from both ends meet once.
  void JoinPendingFromBack();

 private:
  void JoinLocked(std::size_t ticker, TickerLines& lines, const DayRef& day);
  void StartDay(std::size_t ticker, const TickerLines& lines, const DayRef& day);
  void JoinPendingLocked(std::size_t ticker);
  void JoinPendingOf(std::size_t ticker);

  std::vector<TickerRun>& runs_;
  std::vector<std::mutex> locks_;
  std::vector<char> pending_;  // per ticker, whether lines of it wait
  std::vector<Waiting> waiting_;
};

}  // namespace arl
