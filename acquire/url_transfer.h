#pragma once
// What the page browser and the downloader share about talking to a server with libcurl: the
// process-wide library start, the limits of a transfer, and the options that keep an unattended
// run from waiting forever on a server that connects but never answers.
#include <curl/curl.h>

#include <string>

#include "acquire/url_limits.h"

namespace arl {

// Starts libcurl once per process (thread-safe); later calls do nothing.
void EnsureCurlStarted();

// Sets the options every transfer of this program uses: time-outs, redirects followed, user agent,
// no signals (a run uses libcurl from a thread of its own), and the allowed schemes.
// The reason a transfer failed, as the transfer library tells it: its detailed text when it gave one
// ("Failed to connect to 127.0.0.1 port 1 after 0 ms: Couldn't connect to server"), else the
// text of its result code.
std::string TransferErrorText(CURLcode result, const char* errorBuffer);

void ApplyTransferOptions(CURL* easy, const TransferLimits& limits, const char* protocols,
                          const char* redirectProtocols);

}  // namespace arl
