#pragma once
// CurlBrowser: the page browser over libcurl's multi interface (http, https, file, about:blank).
// Navigate starts a transfer and returns; Busy() drives it without blocking; when it ends, the page
// is parsed with gumbo and every "a" element's target is resolved against the page address (or its
// <base href>) with curl's URL API. Redirects are followed; a connect time-out and a stall time-out
// end a server that never answers. A failed load gives no anchors and an error page.
#include <memory>
#include <string>

#include "acquire/page_browser.h"

namespace arl {

class CurlBrowser : public PageBrowser {
 public:
  CurlBrowser();
  ~CurlBrowser() override;
  void Navigate(const std::string& address) override;
  bool Busy() override;
  int AnchorCount() override;
  std::string AnchorTarget(int index) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace arl
