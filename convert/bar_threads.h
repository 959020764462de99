#pragma once
// BarThreads: the bars of a list of tickers made on two threads, each ticker once it is ready. A
// conversion call marks each ticker ready as soon as it has committed the ticker's 1-minute file, so
// a helper thread makes its bars while the call commits the next ones (committing mostly waits on
// the disk, making bars on the processor); the caller's thread joins in once it is done committing.
// Tickers are taken in list order, each by the thread that is free.
//
// Finish() waits for every ticker, then flushes what was written with one flush of the file system
// and only then renames the files made whole into place (and flushes the renames), so that a power
// loss leaves each one old or new, and logs the faults in ticker order. An exception of the work
// (EInOutError, EDiskFull) is rethrown by Finish() once both threads have ended (the caller's first).
// An object destroyed
// without Finish() (the call failed while committing) stops taking tickers and waits for the ones
// being made; their files are left as a killed run would leave them, which the call's note mends.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/minute_line.h"
#include "run/session.h"
#include "support/text.h"

namespace arl {

// The run's reader of 1-minute lines, made once when first asked for from either thread: making one
// prints and reads back every minute of the time format.
class SharedReader {
 public:
  explicit SharedReader(const RunOptions& o) : options_(o) {}
  const MinuteLineReader& Get() {
    std::call_once(made_, [this] { reader_.emplace(options_, ""); });
    return *reader_;
  }

 private:
  const RunOptions& options_;
  std::once_flag made_;
  std::optional<MinuteLineReader> reader_;
};

// One ticker's share of the work, its own while a thread makes its bars.
struct TickerBars {
  std::string ticker;
  SharedReader* prototype = nullptr;
  std::optional<MinuteLineReader> reader;
  std::optional<std::int64_t> changedFrom;  // set by Ready(): the offset of its first changed line
  std::string fault;                        // the log line when its bars could not be made
  std::vector<std::string> written;         // files made whole, waiting beside them as "<path>.tmp"
  MinuteLineReader& Reader(const RunOptions& o) {
    if (!reader) reader.emplace(prototype->Get().ForTicker(o, ticker));
    return *reader;
  }
};

class BarThreads {
 public:
  using Work = std::function<void(TickerBars&)>;

  BarThreads(Session& s, const LineList& tickers, Work work);
  ~BarThreads();
  BarThreads(const BarThreads&) = delete;
  BarThreads& operator=(const BarThreads&) = delete;

  // Starts the helper thread; no ticker is taken before it is ready.
  void Start();
  // Ticker `index` is ready, its 1-minute file changed from `changedFrom` (or not at all).
  void Ready(std::size_t index, std::optional<std::int64_t> changedFrom);
  // Every ticker is ready.
  void AllReady();
  // Makes the bars of the tickers left on the caller's thread as well; see above. False when the run
  // was cancelled meanwhile.
  bool Finish();

 private:
  void Take(std::exception_ptr& error);
  void Stop();

  Session& s_;
  SharedReader prototype_;
  std::vector<TickerBars> all_;
  Work work_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> ready_;
  std::size_t next_ = 0;  // the next ticker to take
  bool stopping_ = false;
  std::exception_ptr errors_[2];  // the caller's, the helper's
  std::thread helper_;
};

}  // namespace arl
