#pragma once
// SiteServer: serves a directory (a generated archive site) over HTTP on 127.0.0.1 at a free port,
// from a background thread, with faults that a test can set per path while it runs: errors, a body
// cut short, a slow or stalled answer, an HTML page where a zip was expected, a redirect. Every
// request is counted per path. Start() raises arl::Exception when no port can be bound; Stop() (also
// run by the destructor) ends promptly even while a stalled answer is pending; a stopped server
// is not started again. Every connection serves one request, so stopping never waits on idle ones.
#include <memory>
#include <string>

namespace arl::tools {

enum class FaultKind {
  None,
  ServerError,  // HTTP 500
  NotFound,     // HTTP 404
  Truncated,    // Content-Length of the whole file, half of it sent, then the connection closed
  Slow,         // a pause before the headers, and optionally pauses between pieces of the body
  Stall,        // the headers, then nothing until the server stops
  HtmlPage,     // 200 with an HTML error page instead of the file
  Redirect,     // 302 to `location`
};

struct Fault {
  FaultKind kind = FaultKind::None;
  int after = 0;      // the next `after` requests of the path are served well, then the fault applies
  int times = -1;     // applies to the next `times` requests of the path; -1: to all of them
  int delayMs = 0;    // Slow: before the headers
  int trickleMs = 0;  // Slow: after each piece of the body
  int trickleBytes = 4096;
  std::string location;  // Redirect: a site path or a full address

  static Fault Of(FaultKind kind, int times = -1) {
    Fault f;
    f.kind = kind;
    f.times = times;
    return f;
  }
  // The site stops answering the path after `served` good answers: every later request fails.
  static Fault After(int served, FaultKind kind) {
    Fault f = Of(kind);
    f.after = served;
    return f;
  }
};

class SiteServer {
 public:
  explicit SiteServer(std::string rootDir);
  ~SiteServer();
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  void Start();
  void Stop();
  int Port() const;
  // "http://127.0.0.1:PORT" followed by `path` (which starts with "/").
  std::string Url(const std::string& path) const;

  void SetFault(const std::string& path, const Fault& fault);
  void ClearFaults();
  int Requests(const std::string& path) const;  // requests of that path so far
  int TotalRequests() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace arl::tools
