#pragma once
// CurlDownloader: downloads over http and https with libcurl, reusing one connection where the
// server allows. Other schemes fail. The body goes to a temporary file beside the target, renamed
// onto it only after a complete 2xx transfer; connect and stall time-outs end dead servers. A
// temporary file that cannot be written because the disk is full raises EDiskFull.
#include <memory>
#include <string>

#include "acquire/downloader.h"
#include "acquire/url_limits.h"

namespace arl {

class CurlDownloader : public Downloader {
 public:
  CurlDownloader();
  explicit CurlDownloader(const TransferLimits& limits);
  ~CurlDownloader() override;
  bool Download(const std::string& url, const std::string& targetPath) override;

  std::string LastError() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace arl
