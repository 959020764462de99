#pragma once
// ReportProgress: the report's one progress line on stderr while the year files are counted,
// rewritten in place, and only when stderr is a terminal (a pipe or a file gets nothing). The line is
// taken off again before the report is printed.
#include <cstdio>

#include "support/inventory_currencies.h"

namespace arl {

class ReportProgress {
 public:
  ReportProgress(std::FILE* err, bool terminal) : err_(err), terminal_(terminal) {}
  ~ReportProgress() { Clear(); }
  ReportProgress(const ReportProgress&) = delete;
  ReportProgress& operator=(const ReportProgress&) = delete;

  void Show(const InventoryProgress& progress);
  void Clear();

 private:
  std::FILE* err_;
  bool terminal_;
  bool shown_ = false;
};

}  // namespace arl
