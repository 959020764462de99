#pragma once
// Whole runs over loopback: a generated archive site served on 127.0.0.1, a fresh home directory,
// the real page browser and downloader, and the expected output tree computed independently from
// the site's day files.
#include <optional>
#include <string>
#include <vector>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "run/session.h"
#include "tests/common/cli_home.h"
#include "tests/common/fake_host.h"
#include "tests/common/temp_dir.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

namespace arl::test {

// A small site: three years (two year pages, the newest on the index page), a few days each,
// three tickers, twenty minutes around 06:00 archive time so the -6 h shift crosses midnight.
tools::FakeSiteOptions SmallSite();

// The reference conversion of one ticker's year with the default options (ticker dropped, "/",
// hh:nn:ss, shift -6 h): the lines that contain the ticker, in day-file order, each day file's
// lines kept in its own year whatever their shifted date.
std::string ReferenceYearFile(const tools::FakeSite& site, int year, const std::string& ticker);

// Everything a complete run leaves below OriginalArchive/ and HistoricalData/ for the site as it is
// now: day files, empty year markers, year files and, with `merge`, the merge files.
FileTree ExpectedOutputs(const tools::FakeSite& site, bool merge);

// Every file below OriginalArchive/ and HistoricalData/ of a home.
FileTree ReadOutputs(const std::string& home);

// The site and its server: the site directory lives in its own temporary directory.
struct ServedSite {
  explicit ServedSite(const tools::FakeSiteOptions& options);
  std::string IndexUrl() const;
  // Adds an anchor to the end of the archive list of a page of the site (path from the root).
  void AddLinkToPage(const std::string& pagePath, const std::string& href);
  int ArchiveRequests(const tools::Ymd& day) const;
  TempDir dir;
  tools::FakeSite site;
  tools::SiteServer server;
};

// A home directory with its currency list, driven in-process by the run control over a FakeEvents
// with the real browser and downloader.
class E2eHome {
 public:
  E2eHome(const ServedSite& site, bool merge);
  // One run (Button1Click); returns the text of an error that ended it, or nullopt.
  std::optional<std::string> Run();
  FileTree Outputs() const { return ReadOutputs(home.path()); }
  // Log lines that read `line`, with or without a reason appended in parentheses.
  int CountLogged(const std::string& line) const;
  bool LoggedContaining(const std::string& piece) const;
  bool HasMarker(int year) const;
  std::string YearFile(const std::string& ticker, int year) const;

  TempDir home;
  FakeEvents host;
  CurlBrowser browser;
  CurlDownloader downloader;
  Session session;
};

}  // namespace arl::test
