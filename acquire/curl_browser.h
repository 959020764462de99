#pragma once
// CurlBrowser: the page browser over libcurl's multi interface (http, https, file, about:blank).
// Navigate starts a transfer and returns; Wait drives it until it ends or a cancel wakes it (the
// transfer's own events wake it, never a clock); when it ends, the page
// is parsed with gumbo and every "a" element's target is resolved against the page address (or its
// <base href>) with curl's URL API. Redirects are followed; a connect time-out and a stall time-out
// end a server that never answers. A failed load gives no anchors and an error page.
#include <memory>
#include <string>

#include "acquire/page_browser.h"
#include "acquire/url_limits.h"

namespace arl {

class CurlBrowser : public PageBrowser {
 public:
  CurlBrowser();
  // Pages larger than limits.maxBodyBytes fail to load (the default browser allows 16 MiB).
  explicit CurlBrowser(const TransferLimits& limits);
  ~CurlBrowser() override;
  void Navigate(const std::string& address) override;
  void Wait(const CancelToken& cancel) override;
  int AnchorCount() override;
  std::string AnchorTarget(int index) override;  // "" past the end

  // The address of the page last loaded, after redirects (the requested one while busy or failed).
  std::string Address() const;
  // Whether the last finished load failed (no connection, 4xx/5xx, cut short, too large, time-out).
  bool LoadFailed() const;
  std::string LoadError() const override;

 private:
  bool Step();  // drives the transfer without blocking; true once the load has ended
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The browser's default limits: the transfer defaults with a 16 MiB page cap.
TransferLimits BrowserLimits();

}  // namespace arl
