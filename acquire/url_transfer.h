#pragma once
// What the page browser and the downloader share about talking to a server with libcurl: the
// process-wide library start, the limits of a transfer, and the options that keep an unattended
// run from waiting forever on a server that connects but never answers.
#include <curl/curl.h>

#include "acquire/url_limits.h"

namespace arl {

// Starts libcurl once per process (thread-safe); later calls do nothing.
void EnsureCurlStarted();

// Sets the options every transfer of this program uses: time-outs, redirects followed, user agent,
// no signals (libcurl is used from the window's thread), and the allowed schemes.
void ApplyTransferOptions(CURL* easy, const TransferLimits& limits, const char* protocols,
                          const char* redirectProtocols);

}  // namespace arl
