#pragma once
// RunOutcome: what one run did and what went wrong in it, for the summary that ends its log and
// for the exit status of the headless front end. Failures are kept one per subject (a year, a
// ticker, the merge of a ticker, the run itself), each as one line: the first reason recorded for a
// subject stands, and a year that is completed later in the same run (a rebuild after a failed
// append) drops what failed on its way there. Nothing here raises or touches a file.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace arl {

class RunOutcome {
 public:
  void Reset() { *this = RunOutcome(); }

  void ArchiveDownloaded(std::int64_t bytes);
  void YearCompleted(const std::string& year);
  void YearFileUpdated(const std::string& ticker, const std::string& year);
  void MergeFileWritten(const std::string& ticker);
  // The conversion met lines of the ticker in a day file.
  void TickerSeen(const std::string& ticker) { seenTickers_.insert(ticker); }
  bool WasSeen(const std::string& ticker) const { return seenTickers_.count(ticker) != 0; }

  void YearFailed(const std::string& year, const std::string& reason);
  void TickerFailed(const std::string& ticker, const std::string& reason);
  void MergeFailed(const std::string& ticker, const std::string& reason);
  // The bars of the higher timeframes: of a ticker, or of every ticker ("" for the run's options).
  void BarsFailed(const std::string& ticker, const std::string& reason);
  void RunFailed(const std::string& reason);
  bool TickerHasFailed(const std::string& ticker) const;
  bool AnyYearFailed() const;

  bool Failed() const { return !failures_.empty(); }

  // The summary logged before "処理完了": one line each for the archives, the years, the year
  // files and the merge files, then the failures, one line each.
  std::string Summary() const;

 private:
  struct Failure {
    std::string subject;  // "year:2010", "ticker:EURUSD", "merge:EURUSD", "bars:EURUSD", "run"
    std::string line;
  };
  void Fail(const std::string& subject, const std::string& line);

  int archives_ = 0;
  std::int64_t archiveBytes_ = 0;
  std::vector<std::string> years_;
  std::set<std::string> yearFiles_;  // ticker + "/" + year
  std::set<std::string> merges_;
  std::set<std::string> seenTickers_;
  std::vector<Failure> failures_;
};

}  // namespace arl
