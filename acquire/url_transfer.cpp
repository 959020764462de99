#include "acquire/url_transfer.h"

#include <mutex>

namespace arl {

void EnsureCurlStarted() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string TransferErrorText(CURLcode result, const char* errorBuffer) {
  if (errorBuffer != nullptr && errorBuffer[0] != '\0') return errorBuffer;
  return curl_easy_strerror(result);
}

void ApplyTransferOptions(CURL* easy, const TransferLimits& limits, const char* protocols,
                          const char* redirectProtocols) {
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, limits.userAgent.c_str());
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols);
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, redirectProtocols);
}

}  // namespace arl
