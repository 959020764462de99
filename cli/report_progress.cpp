#include "cli/report_progress.h"

namespace arl {

void ReportProgress::Show(const InventoryProgress& p) {
  if (!terminal_ || p.taken == nullptr) return;
  constexpr double kMiB = 1024.0 * 1024.0;
  std::fprintf(err_, "\r\033[K集計中 %s %d (%zu/%zu ファイル, %.0f/%.0f MiB)", p.taken->ticker.c_str(),
               p.taken->year, p.filesDone, p.files, static_cast<double>(p.bytesDone) / kMiB,
               static_cast<double>(p.bytes) / kMiB);
  std::fflush(err_);
  shown_ = true;
}

void ReportProgress::Clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  shown_ = false;
}

}  // namespace arl
