#include "acquire/page_access.h"

#include <string_view>
#include <vector>

#include "acquire/page_browser.h"
#include "support/text.h"

namespace arl {
namespace {

// One round of the wait: poll, and while busy let the window run and sleep. False when cancelled.
bool WaitWhileBusy(Session& s) {
  while (s.browser.Busy()) {
    s.Pump();
    s.Sleep(200);
    if (!s.GoOn()) return false;
  }
  s.Pump();
  return true;
}

}  // namespace

bool WaitForBrowser(Session& s) {
  // Two rounds: a page may start a second load as the first one ends.
  if (!WaitWhileBusy(s)) return true;
  WaitWhileBusy(s);
  return true;
}

void CollectPageLinks(Session& s, const std::string& filter, Pane& pane) {
  std::vector<std::string_view> pieces;
  std::string storage;
  SplitCommaText(filter, pieces, storage);
  pane.Clear();

  PageBrowser& browser = s.browser;
  LineList result;
  const int count = browser.AnchorCount();
  for (int i = 0; i < count; ++i) {
    bool accepted = true;
    for (std::string_view piece : pieces) {
      if (!s.GoOn()) return;  // the pane stays empty
      // An empty piece counts as never occurring, so a filter like "zip," lists nothing.
      if (piece.empty() || browser.AnchorTarget(i).find(piece) == std::string::npos) {
        accepted = false;
        break;
      }
    }
    if (accepted) result.push_back(browser.AnchorTarget(i));
  }
  pane.SetLines(result);
}

}  // namespace arl
