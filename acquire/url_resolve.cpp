#include "acquire/url_resolve.h"

#include <curl/curl.h>

#include <memory>

namespace arl {
namespace {

struct UrlDeleter {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct TextDeleter {
  void operator()(char* p) const { curl_free(p); }
};

}  // namespace

std::string ResolveUrl(const std::string& base, const std::string& reference) {
  // An empty reference names the page itself, without its fragment.
  if (reference.empty()) return base.substr(0, base.find('#'));
  // A fragment alone stays on the page; curl would treat it as a relative path.
  if (reference[0] == '#') return base.substr(0, base.find('#')) + reference;
  std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url) return reference;
  // Setting a relative reference on a handle that already holds an address resolves it the way a
  // redirect would be; a full address simply replaces the base.
  if (!base.empty() && curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) {
    // Without a usable base only full addresses survive.
    url.reset(curl_url());
    if (!url) return reference;
  }
  if (curl_url_set(url.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK) return reference;
  char* raw = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK || raw == nullptr) return reference;
  std::unique_ptr<char, TextDeleter> text(raw);
  return std::string(text.get());
}

}  // namespace arl
