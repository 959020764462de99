#pragma once
// The limits of one transfer of the page browser or the downloader. The defaults suit the real site;
// tests shorten the time-outs so a stalled server costs them about a second.
#include <cstdint>
#include <string>

#include "arl/version.h"

namespace arl {

struct TransferLimits {
  long connectTimeoutSeconds = 30;
  long stallSeconds = 60;  // less than one byte a second for this long ends a transfer
  std::int64_t maxBodyBytes = 256LL << 20;
  long maxRedirects = 20;
  std::string userAgent = kUserAgent;
};

}  // namespace arl
