#pragma once
// Downloader: fetches one address to one file. True only after a complete 2xx transfer; the body is
// written to a temporary file beside the target and renamed onto it, so a failure never leaves a
// partial file under the target's name. While a transfer runs, `pump` is called regularly so the
// window stays alive; a transfer under way is never interrupted.
#include <functional>
#include <string>

namespace arl {

class Downloader {
 public:
  virtual ~Downloader() = default;
  virtual bool Download(const std::string& url, const std::string& targetPath,
                        const std::function<void()>& pump) = 0;
};

}  // namespace arl
