#include "acquire/curl_downloader.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "acquire/url_transfer.h"
#include "support/disk_full.h"
#include "support/fd_io.h"
#include "support/files.h"

namespace arl {
namespace {}  // namespace

// One easy handle on one multi handle for the downloader's life: the multi handle keeps the
// connection cache, so consecutive archives from one site share a connection.
struct CurlDownloader::Impl {
  Downloader* owner = nullptr;  // whose onBytes hears of the body as it comes
  TransferLimits limits;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  std::string lastError;
  char errorText[CURL_ERROR_SIZE] = {};

  // The current transfer's temporary file.
  int fd = -1;
  std::int64_t written = 0;
  bool writeFailed = false;
  int writeErrno = 0;  // why the temporary file could not be written

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<Impl*>(user);
    size_t n = size * count;
    if (self->written + static_cast<std::int64_t>(n) > self->limits.maxBodyBytes) {
      self->writeFailed = true;
      self->lastError = "body larger than " + std::to_string(self->limits.maxBodyBytes) + " bytes";
      return 0;
    }
    if (!WriteAll(self->fd, data, n)) {
      self->writeFailed = true;
      self->writeErrno = errno;
      self->lastError = std::string("cannot write the temporary file: ") + std::strerror(errno);
      return 0;
    }
    self->written += static_cast<std::int64_t>(n);
    if (self->owner->onBytes) self->owner->onBytes(self->written);
    return n;
  }
};

CurlDownloader::CurlDownloader() : CurlDownloader(TransferLimits{}) {}

CurlDownloader::CurlDownloader(const TransferLimits& limits) : impl_(std::make_unique<Impl>()) {
  EnsureCurlStarted();
  impl_->owner = this;
  impl_->limits = limits;
  impl_->multi = curl_multi_init();
  impl_->easy = curl_easy_init();
  if (impl_->easy) {
    ApplyTransferOptions(impl_->easy, limits, "http,https", "http,https");
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(impl_->easy, CURLOPT_WRITEDATA, impl_.get());
    curl_easy_setopt(impl_->easy, CURLOPT_ERRORBUFFER, impl_->errorText);
  }
}

CurlDownloader::~CurlDownloader() {
  if (impl_->easy) curl_easy_cleanup(impl_->easy);
  if (impl_->multi) curl_multi_cleanup(impl_->multi);
}

std::string CurlDownloader::LastError() const { return impl_->lastError; }

bool CurlDownloader::Download(const std::string& url, const std::string& targetPath) {
  Impl& m = *impl_;
  m.lastError.clear();
  if (!m.multi || !m.easy) {
    m.lastError = "the network library could not start";
    return false;
  }

  // The temporary file lives beside the target so the final rename stays on one file system.
  std::string baseName = targetPath.substr(DirectoryOf(targetPath).size());
  // A fixed name: a transfer cut short by a killed process is replaced by the next try of the archive.
  std::string tempPath = DirectoryOf(targetPath) + "." + baseName + ".part";
  m.fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (m.fd < 0) {
    const int error = errno;
    ThrowIfDiskFull(tempPath, error);
    m.lastError = "cannot create a temporary file beside " + targetPath + ": " + std::strerror(error);
    return false;
  }
  m.written = 0;
  m.writeFailed = false;
  m.writeErrno = 0;
  m.errorText[0] = '\0';

  // Whatever happens below, nothing partial stays behind.
  struct Cleanup {
    Impl& m;
    const std::string& tempPath;
    bool attached = false;
    bool keepTemp = false;
    ~Cleanup() {
      if (attached) curl_multi_remove_handle(m.multi, m.easy);
      if (m.fd >= 0) ::close(m.fd);
      m.fd = -1;
      if (!keepTemp) ::unlink(tempPath.c_str());
    }
  } cleanup{m, tempPath};

  curl_easy_setopt(m.easy, CURLOPT_URL, url.c_str());
  if (curl_multi_add_handle(m.multi, m.easy) != CURLM_OK) {
    m.lastError = "the transfer could not be started";
    return false;
  }
  cleanup.attached = true;

  CURLcode result = CURLE_FAILED_INIT;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(m.multi, &running) != CURLM_OK) break;
    int queued = 0;
    bool done = false;
    while (CURLMsg* msg = curl_multi_info_read(m.multi, &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == m.easy) {
        result = msg->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    // Wakes when the transfer has something to do; the time-out only bounds a quiet wait.
    if (curl_multi_poll(m.multi, nullptr, 0, 1000, nullptr) != CURLM_OK) break;
  }

  long code = 0;
  curl_off_t expected = -1;
  curl_easy_getinfo(m.easy, CURLINFO_RESPONSE_CODE, &code);
  curl_easy_getinfo(m.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
  // A full disk ends the run: every further download would fail the same way.
  if (m.writeFailed) ThrowIfDiskFull(tempPath, m.writeErrno);
  if (result != CURLE_OK) {
    if (m.lastError.empty()) {
      m.lastError = TransferErrorText(result, m.errorText);
    }
    return false;
  }
  if (m.writeFailed) return false;
  if (code < 200 || code > 299) {
    m.lastError = "HTTP " + std::to_string(code);
    return false;
  }
  if (expected >= 0 && expected != m.written) {  // a body cut short that curl did not notice
    m.lastError =
        "body of " + std::to_string(m.written) + " bytes, " + std::to_string(expected) + " announced";
    return false;
  }

  // No fsync: the archive is extracted and deleted at once, and one lost to a power cut is fetched
  // again, since the day file it would have given is missing.
  ::fchmod(m.fd, 0644);
  const bool closed = ::close(m.fd) == 0;
  const int error = errno;
  m.fd = -1;
  if (!closed) {
    ThrowIfDiskFull(tempPath, error);
    m.lastError = std::string("cannot write the temporary file: ") + std::strerror(error);
    return false;
  }
  if (::rename(tempPath.c_str(), targetPath.c_str()) != 0) {
    m.lastError = "cannot rename the download onto " + targetPath;
    return false;
  }
  cleanup.keepTemp = true;  // it is the target now
  return true;
}

}  // namespace arl
