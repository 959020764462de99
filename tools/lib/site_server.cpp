#include "tools/lib/site_server.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "support/errors.h"

namespace arl::tools {
namespace {

std::string ContentType(const std::string& path) {
  auto ends = [&](const char* ext) {
    std::string e(ext);
    return path.size() >= e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0;
  };
  if (ends(".html") || ends(".htm")) return "text/html; charset=utf-8";
  if (ends(".zip")) return "application/zip";
  if (ends(".txt")) return "text/plain";
  return "application/octet-stream";
}

// Only plain paths below the root are served: no "..", no backslashes, no NUL.
bool SafePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  if (path.find('\\') != std::string::npos || path.find('\0') != std::string::npos) return false;
  std::stringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part == "..") return false;
  }
  return true;
}

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

const char* kErrorPage =
    "<html><head><title>Service unavailable</title></head><body><h1>Sorry</h1>"
    "<p>The archive is busy. Please try again later.</p></body></html>";

}  // namespace

struct SiteServer::Impl {
  std::string root;
  httplib::Server server;
  std::thread thread;
  int port = -1;
  bool started = false;

  mutable std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::map<std::string, Fault> faults;
  std::map<std::string, int> counts;
  int total = 0;

  // Waits up to `ms`; false when the server is stopping.
  bool Pause(int ms) {
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
  }
  void WaitForStop() {
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return stopping; });
  }

  // Counts the request and takes the fault that applies to it.
  Fault Arrive(const std::string& path) {
    std::lock_guard lock(mutex);
    ++counts[path];
    ++total;
    auto it = faults.find(path);
    if (it == faults.end()) return {};
    if (it->second.after > 0) {
      --it->second.after;
      return {};
    }
    Fault f = it->second;
    if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
    return f;
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    const Fault fault = Arrive(req.path);
    if (fault.kind == FaultKind::Slow && fault.delayMs > 0 && !Pause(fault.delayMs)) {
      res.status = 503;
      return;
    }
    switch (fault.kind) {
      case FaultKind::ServerError:
        res.status = 500;
        res.set_content(kErrorPage, "text/html");
        return;
      case FaultKind::NotFound:
        res.status = 404;
        res.set_content("<html><body><h1>Not Found</h1></body></html>", "text/html");
        return;
      case FaultKind::Redirect:
        res.set_redirect(fault.location.empty() || fault.location[0] != '/'
                             ? fault.location
                             : "http://127.0.0.1:" + std::to_string(port) + fault.location);
        return;
      case FaultKind::HtmlPage:
        res.status = 200;
        res.set_content(kErrorPage, "text/html");
        return;
      default:
        break;
    }

    std::string body;
    std::string file = root + req.path;
    if (!file.empty() && file.back() == '/') file += "index.html";
    if (!SafePath(req.path) || !ReadWhole(file, body)) {
      res.status = 404;
      res.set_content("<html><body><h1>Not Found</h1></body></html>", "text/html");
      return;
    }
    const std::string type = ContentType(file);
    res.status = 200;
    auto shared = std::make_shared<std::string>(std::move(body));
    const std::size_t size = shared->size();
    if (fault.kind == FaultKind::Truncated) {
      res.set_content_provider(size, type, [shared](size_t, size_t, httplib::DataSink& sink) {
        sink.write(shared->data(), shared->size() / 2);
        return false;  // closes the connection short of the announced length
      });
    } else if (fault.kind == FaultKind::Stall) {
      res.set_content_provider(size, type, [this](size_t, size_t, httplib::DataSink&) {
        WaitForStop();
        return false;
      });
    } else if (fault.kind == FaultKind::Slow && fault.trickleMs > 0) {
      const std::size_t piece = static_cast<std::size_t>(std::max(1, fault.trickleBytes));
      const int pause = fault.trickleMs;
      res.set_content_provider(size, type,
                               [this, shared, piece, pause](size_t offset, size_t, httplib::DataSink& sink) {
                                 std::size_t n = std::min(piece, shared->size() - offset);
                                 if (!sink.write(shared->data() + offset, n)) return false;
                                 return Pause(pause);
                               });
    } else {
      res.set_content(std::move(*shared), type);
    }
  }
};

SiteServer::SiteServer(std::string rootDir) : impl_(std::make_unique<Impl>()) {
  while (rootDir.size() > 1 && rootDir.back() == '/') rootDir.pop_back();
  impl_->root = std::move(rootDir);
}

SiteServer::~SiteServer() { Stop(); }

void SiteServer::Start() {
  Impl& m = *impl_;
  if (m.started) return;
  // One request per connection and short idle limits: Stop() waits for every open connection, and
  // an idle keep-alive connection would hold it for the whole keep-alive time.
  m.server.set_keep_alive_max_count(1);
  m.server.set_keep_alive_timeout(1);
  m.server.set_read_timeout(1, 0);
  // Headers and body go out in separate writes: without this, Nagle's algorithm holds the body back
  // until the client's delayed acknowledgement, tens of milliseconds per request on loopback.
  m.server.set_tcp_nodelay(true);
  m.server.Get(".*", [&m](const httplib::Request& req, httplib::Response& res) { m.Handle(req, res); });
  m.port = m.server.bind_to_any_port("127.0.0.1");
  if (m.port <= 0) throw Exception("the site server could not bind a port on 127.0.0.1");
  {
    std::lock_guard lock(m.mutex);
    m.stopping = false;
  }
  m.thread = std::thread([&m] { m.server.listen_after_bind(); });
  m.started = true;
}

void SiteServer::Stop() {
  Impl& m = *impl_;
  if (!m.started) return;
  {
    std::lock_guard lock(m.mutex);
    m.stopping = true;
  }
  m.wake.notify_all();
  m.server.stop();
  if (m.thread.joinable()) m.thread.join();
  m.started = false;
}

int SiteServer::Port() const { return impl_->port; }

std::string SiteServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + path;
}

void SiteServer::SetFault(const std::string& path, const Fault& fault) {
  std::lock_guard lock(impl_->mutex);
  if (fault.kind == FaultKind::None || fault.times == 0) {
    impl_->faults.erase(path);
  } else {
    impl_->faults[path] = fault;
  }
}

void SiteServer::ClearFaults() {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.clear();
}

int SiteServer::Requests(const std::string& path) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->counts.find(path);
  return it == impl_->counts.end() ? 0 : it->second;
}

int SiteServer::TotalRequests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->total;
}

}  // namespace arl::tools
