#include "acquire/curl_browser.h"

#include <curl/curl.h>

#include <utility>
#include <vector>

#include "acquire/html_links.h"
#include "acquire/url_transfer.h"

namespace arl {
namespace {

std::string EscapeHtml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// What the window shows in place of a page that could not be loaded; it has no links.
std::string ErrorPage(const std::string& address, const std::string& reason) {
  return "<html><head><meta charset=\"utf-8\"><title>ページを表示できません</title></head><body>"
         "<h1>ページを表示できません</h1><p>" +
         EscapeHtml(address) + "</p><p>" + EscapeHtml(reason) + "</p></body></html>";
}

}  // namespace

TransferLimits BrowserLimits() {
  TransferLimits limits;
  limits.maxBodyBytes = 16LL << 20;
  return limits;
}

// One easy handle on one multi handle, both kept for the browser's life so the connection to the
// site is reused between pages. `loading` is true while the easy handle sits on the multi handle.
struct CurlBrowser::Impl {
  TransferLimits limits;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  bool loading = false;
  bool failed = false;
  std::string failure;  // why the last load failed
  bool tooLarge = false;
  std::string requested;
  std::string address;
  std::string body;
  std::vector<std::string> anchors;
  char errorText[CURL_ERROR_SIZE] = {};

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    size_t n = size * count;
    if (static_cast<std::int64_t>(self->body.size() + n) > self->limits.maxBodyBytes) {
      self->tooLarge = true;
      return 0;  // ends the transfer with a write error
    }
    self->body.append(data, n);
    return n;
  }

  void Detach() {
    if (loading) curl_multi_remove_handle(multi, easy);
    loading = false;
  }

  // Ends the load: remembers the anchors of a good page or builds the error page of a failed one.
  // Returns the address and HTML to report.
  std::pair<std::string, std::string> Finish(CURLcode result) {
    Detach();
    long code = 0;
    char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    std::string finalAddress = effective ? effective : requested;

    std::string& reason = failure;
    reason.clear();
    if (tooLarge) {
      reason = "page larger than " + std::to_string(limits.maxBodyBytes) + " bytes";
    } else if (result != CURLE_OK) {
      reason = TransferErrorText(result, errorText);
    } else if (code >= 400) {
      reason = "HTTP " + std::to_string(code);
    }
    std::string html;
    html.swap(body);
    failed = !reason.empty();
    if (failed) {
      address = requested;
      return {requested, ErrorPage(requested, reason)};
    }
    address = finalAddress;
    anchors = ExtractLinkTargets(html, finalAddress);
    return {finalAddress, std::move(html)};
  }
};

CurlBrowser::CurlBrowser() : CurlBrowser(BrowserLimits()) {}

CurlBrowser::CurlBrowser(const TransferLimits& limits) : impl_(std::make_unique<Impl>()) {
  EnsureCurlStarted();
  impl_->limits = limits;
  impl_->multi = curl_multi_init();
  impl_->easy = curl_easy_init();
  if (impl_->easy) {
    ApplyTransferOptions(impl_->easy, limits, "http,https,file", "http,https");
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEDATA, impl_.get());
    curl_easy_setopt(impl_->easy, CURLOPT_ERRORBUFFER, impl_->errorText);
  }
}

CurlBrowser::~CurlBrowser() {
  impl_->Detach();
  if (impl_->easy) curl_easy_cleanup(impl_->easy);
  if (impl_->multi) curl_multi_cleanup(impl_->multi);
}

void CurlBrowser::Navigate(const std::string& address) {
  Impl& m = *impl_;
  m.Detach();  // a new navigation abandons the one in progress
  m.anchors.clear();
  m.body.clear();
  m.tooLarge = false;
  m.failed = false;
  m.failure.clear();
  m.errorText[0] = '\0';
  m.requested = address;
  m.address = address;

  if (address == "about:blank") {
    if (onPageLoaded) onPageLoaded(address, "");
    return;
  }
  if (!m.multi || !m.easy) {
    m.failed = true;
    m.failure = "the network library could not start";
    if (onPageLoaded) onPageLoaded(address, ErrorPage(address, m.failure));
    return;
  }
  curl_easy_setopt(m.easy, CURLOPT_URL, address.c_str());
  if (curl_multi_add_handle(m.multi, m.easy) != CURLM_OK) {
    m.failed = true;
    m.failure = "the page could not be requested";
    if (onPageLoaded) onPageLoaded(address, ErrorPage(address, m.failure));
    return;
  }
  m.loading = true;
  int running = 0;
  curl_multi_perform(m.multi, &running);
}

bool CurlBrowser::Step() {
  Impl& m = *impl_;
  if (!m.loading) return true;
  int running = 0;
  CURLMcode mc = curl_multi_perform(m.multi, &running);
  CURLcode result = CURLE_OK;
  bool done = false;
  if (mc != CURLM_OK) {
    done = true;
    result = CURLE_FAILED_INIT;
  }
  int queued = 0;
  while (CURLMsg* msg = curl_multi_info_read(m.multi, &queued)) {
    if (msg->msg == CURLMSG_DONE && msg->easy_handle == m.easy) {
      done = true;
      result = msg->data.result;
    }
  }
  if (!done) return false;
  auto [address, html] = m.Finish(result);
  if (onPageLoaded) onPageLoaded(address, html);
  return true;
}

void CurlBrowser::Wait(const CancelToken& cancel) {
  CURLM* multi = impl_->multi;
  // A cancel from another thread wakes the poll below at once.
  const CancelToken::Waker waker(cancel, [multi] { curl_multi_wakeup(multi); });
  while (!cancel.Cancelled() && !Step()) {
    // Returns as soon as the transfer has something to do; the time-out only bounds a quiet wait.
    if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) break;
  }
}

int CurlBrowser::AnchorCount() { return static_cast<int>(impl_->anchors.size()); }

std::string CurlBrowser::AnchorTarget(int index) {
  if (index < 0 || index >= AnchorCount()) return {};
  return impl_->anchors[static_cast<std::size_t>(index)];
}

std::string CurlBrowser::Address() const { return impl_->address; }

bool CurlBrowser::LoadFailed() const { return impl_->failed; }

std::string CurlBrowser::LoadError() const { return impl_->failed ? impl_->failure : std::string(); }

}  // namespace arl
