#include "convert/bar_threads.h"

#include "support/durable_file.h"
#include "support/errors.h"
#include "support/files.h"

namespace arl {

BarThreads::BarThreads(Session& s, const LineList& tickers, Work work)
    : s_(s), prototype_(s.Options()), all_(tickers.size()), work_(std::move(work)), ready_(tickers.size()) {
  for (std::size_t i = 0; i < tickers.size(); ++i) {
    all_[i].ticker = tickers[i];
    all_[i].prototype = &prototype_;
  }
}

BarThreads::~BarThreads() { Stop(); }

void BarThreads::Start() {
  helper_ = std::thread([this] { Take(errors_[1]); });
}

void BarThreads::Ready(std::size_t index, std::optional<std::int64_t> changedFrom) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    all_[index].changedFrom = changedFrom;
    ready_[index] = true;
  }
  changed_.notify_all();
}

void BarThreads::AllReady() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ready_.assign(ready_.size(), true);
  }
  changed_.notify_all();
}

// Each thread takes the next ticker left once it is ready: the page cache and the disk's writing
// slow the two threads unevenly.
void BarThreads::Take(std::exception_ptr& error) {
  for (;;) {
    std::size_t i = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || next_ == all_.size() || ready_[next_]; });
      if (stopping_ || next_ == all_.size() || !s_.GoOn()) return;
      i = next_++;
    }
    try {
      work_(all_[i]);
    } catch (...) {
      error = std::current_exception();
      return;
    }
  }
}

void BarThreads::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (helper_.joinable()) helper_.join();
}

bool BarThreads::Finish() {
  AllReady();
  Take(errors_[0]);
  if (helper_.joinable()) helper_.join();
  for (const std::exception_ptr& error : errors_)
    if (error) std::rethrow_exception(error);
  SyncFileSystemOf(s_.paths.DataDir);
  bool renamed = false;
  for (const TickerBars& t : all_)
    for (const std::string& path : t.written) {
      if (!RenameFile(path + ".tmp", path)) throw EInOutError("I/O error: cannot rename " + path + ".tmp");
      renamed = true;
    }
  if (renamed) SyncFileSystemOf(s_.paths.DataDir);
  for (const TickerBars& t : all_) {
    if (t.fault.empty()) continue;
    s_.outcome.BarsFailed(t.ticker, t.fault.substr(0, t.fault.find('\r')));
    s_.AddLog(t.fault);
  }
  return s_.GoOn();
}

}  // namespace arl
