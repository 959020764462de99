#pragma once
// Downloader: fetches one address to one file. True only after a complete 2xx transfer; the body is
// written to a temporary file beside the target and renamed onto it, so a failure never leaves a
// partial file under the target's name. A transfer under way is never interrupted: a cancel takes
// effect between archives. A disk too full for the download raises EDiskFull instead of failing: it
// ends the run.
#include <cstdint>
#include <functional>
#include <string>

namespace arl {

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Told, on the downloading thread, the bytes of the current transfer received so far, as they
  // come (a downloader that cannot tell never calls it). Empty: nobody listens.
  std::function<void(std::int64_t received)> onBytes;
  virtual bool Download(const std::string& url, const std::string& targetPath) = 0;
  // Why the last Download failed, as the transfer library or the server said it ("" after a success).
  virtual std::string LastError() const { return {}; }
};

}  // namespace arl
