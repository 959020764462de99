#pragma once
// PageBrowser: what the run needs of a web browser. Navigate starts loading and returns at once;
// Wait blocks until the page's links can be read; the anchors are listed in document order with
// their targets resolved to absolute addresses ("" for an anchor without a target). One thread at a
// time uses a browser; onPageLoaded is called on that thread.
// A page that fails to load leaves an empty anchor list (and an error page for display).
#include <functional>
#include <string>

#include "support/cancel_token.h"

namespace arl {

class PageBrowser {
 public:
  virtual ~PageBrowser() = default;
  virtual void Navigate(const std::string& address) = 0;
  // Returns when the load that Navigate started has ended (loaded or failed), or at once when
  // `cancel` is (or becomes) set; the load then goes on no further.
  virtual void Wait(const CancelToken& cancel) = 0;
  virtual int AnchorCount() = 0;
  virtual std::string AnchorTarget(int index) = 0;
  // Why the last finished load failed ("" when it succeeded): the transfer library's text or
  // "HTTP 503". A page that failed is not an empty page: nothing may be concluded from its links.
  virtual std::string LoadError() const { return {}; }

  // Called when a page has been loaded (or failed): its address and HTML (an error page on failure).
  std::function<void(const std::string& address, const std::string& html)> onPageLoaded;
};

}  // namespace arl
