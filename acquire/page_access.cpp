#include "acquire/page_access.h"

#include <string_view>
#include <vector>

#include "acquire/page_browser.h"
#include "support/text.h"

namespace arl {

void WaitForBrowser(Session& s) { s.browser.Wait(s.cancel); }

LineList CollectPageLinks(Session& s, const std::string& filter) {
  std::vector<std::string_view> pieces;
  std::string storage;
  SplitCommaText(filter, pieces, storage);

  PageBrowser& browser = s.browser;
  LineList result;
  const int count = browser.AnchorCount();
  for (int i = 0; i < count; ++i) {
    bool accepted = true;
    for (std::string_view piece : pieces) {
      if (!s.GoOn()) return {};
      // An empty piece counts as never occurring, so a filter like "zip," lists nothing.
      if (piece.empty() || browser.AnchorTarget(i).find(piece) == std::string::npos) {
        accepted = false;
        break;
      }
    }
    if (accepted) result.push_back(browser.AnchorTarget(i));
  }
  return result;
}

}  // namespace arl
