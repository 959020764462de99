// The window's 「データ状況」 button: one overview window at a time, over the home and the options as
// the controls hold them now (the year files' names and line shape follow them).
#include "app/data_status_window.h"
#include "app/tform1.h"
#include "support/run_options.h"

namespace arl {

void TForm1::DataButtonClick() {
  RunOptions options;
  try {
    options = ParseRunOptions(Options());
  } catch (const EOptionError& e) {
    Box({BoxRequest::Kind::Ok, e.what(), "データ状況"});
    return;
  }
  if (dataWindow_) {
    dataWindow_->SetOptions(options);
  } else {
    dataWindow_ = new DataStatusWindow(session_.paths, options, this);
    dataWindow_->setAttribute(Qt::WA_DeleteOnClose);
  }
  dataWindow_->show();
  dataWindow_->raise();
  dataWindow_->activateWindow();
}

}  // namespace arl
