#include "tests/run/e2e_fixture.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "run/run_control.h"
#include "tools/lib/day_data.h"

namespace arl::test {
namespace fs = std::filesystem;
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// "20050103","000100" shifted by `hours` -> "2005/01/02,18:01:00", by plain calendar arithmetic.
std::string ShiftedStamp(const std::string& date, const std::string& time, int shiftHours) {
  using namespace std::chrono;
  const year_month_day ymd{year{std::stoi(date.substr(0, 4))}, month{unsigned(std::stoi(date.substr(4, 2)))},
                           day{unsigned(std::stoi(date.substr(6, 2)))}};
  const auto stamp = sys_days{ymd} + hours{std::stoi(time.substr(0, 2))} +
                     minutes{std::stoi(time.substr(2, 2))} + seconds{std::stoi(time.substr(4, 2))} +
                     hours{shiftHours};
  const auto dayStart = floor<days>(stamp);
  const year_month_day d{dayStart};
  const hh_mm_ss t{stamp - dayStart};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02u/%02u,%02ld:%02ld:%02ld", int(d.year()), unsigned(d.month()),
                unsigned(d.day()), long(t.hours().count()), long(t.minutes().count()),
                long(t.seconds().count()));
  return buf;
}

std::string Two(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n % 100);
  return buf;
}

}  // namespace

tools::FakeSiteOptions SmallSite() {
  tools::FakeSiteOptions o;
  o.seed = 11;
  o.firstYear = 2009;
  o.lastYear = 2011;
  o.daysPerYear = 4;
  o.newestDays = 2;
  o.tickers = 3;
  o.firstMinute = 350;
  o.lastMinute = 369;
  return o;
}

std::string ReferenceYearFile(const tools::FakeSite& site, int year, const std::string& ticker) {
  std::string out;
  for (const auto& day : site.PublishedDays(year)) {
    std::string content = tools::MakeDayFile(day, site.DayOptions());
    for (std::string line : Split(content, '\n')) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find(ticker) == std::string::npos) continue;
      const auto f = Split(line, ',');
      out += ShiftedStamp(f.at(1), f.at(2), -6) + "," + f.at(3) + "," + f.at(4) + "," + f.at(5) + "," +
             f.at(6) + "\r\n";
    }
  }
  return out;
}

FileTree ExpectedOutputs(const tools::FakeSite& site, bool merge) {
  FileTree tree;
  for (int year = site.Options().firstYear; year <= site.NewestYear(); ++year) {
    const std::string dir = "OriginalArchive/" + std::to_string(year) + "/";
    for (const auto& day : site.PublishedDays(year)) {
      tree[dir + Two(day.year) + Two(day.month) + Two(day.day) + ".txt"] =
          tools::MakeDayFile(day, site.DayOptions());
    }
    tree[dir + "complete.arlm"] = "";
  }
  for (const auto& ticker : site.DayOptions().tickers) {
    const std::string dir = "HistoricalData/" + ticker + "/1min/";
    std::string all;
    for (int year = site.Options().firstYear; year <= site.NewestYear(); ++year) {
      std::string lines = ReferenceYearFile(site, year, ticker);
      if (lines.empty()) continue;
      tree[dir + "1min_" + std::to_string(year) + ".txt"] = lines;
      all += lines;
    }
    if (merge && !all.empty()) tree[dir + "1min_Merge.txt"] = all;
  }
  return tree;
}

FileTree ReadOutputs(const std::string& home) {
  return ReadTree(home, {"OriginalArchive", "HistoricalData"});
}

ServedSite::ServedSite(const tools::FakeSiteOptions& options)
    : site(tools::FakeSite::Generate(dir.path() + "site", options)), server(site.Dir()) {
  server.Start();
}

std::string ServedSite::IndexUrl() const { return server.Url(tools::FakeSite::kIndexPath); }

void ServedSite::AddLinkToPage(const std::string& pagePath, const std::string& href) {
  const std::string file = site.Dir() + pagePath.substr(1);
  std::string html = ReadFile(file);
  const auto end = html.find("</ul>");
  html.insert(end, "<li><a href=\"" + href + "\">extra</a></li>\n");
  WriteFile(file, html);
}

int ServedSite::ArchiveRequests(const tools::Ymd& day) const {
  return server.Requests(tools::FakeSite::ArchivePath(day));
}

E2eHome::E2eHome(const ServedSite& site, bool merge)
    : session(host, browser, downloader, Paths::ForAppDir(home.path())) {
  PrepareWorkingFolders(session.paths);
  std::string list;
  for (const auto& ticker : site.site.DayOptions().tickers) list += ticker + "\r\n";
  WriteFile(session.paths.AppDir + "CurrencyList.txt", list);
  session.optionValues.EditURL = site.IndexUrl();
  session.optionValues.CheckBox1 = merge;
}

std::optional<std::string> E2eHome::Run() {
  try {
    RunOnce(session, session.optionValues);
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

int E2eHome::CountLogged(const std::string& line) const {
  int n = 0;
  for (const auto& l : host.logged) n += l == line || l.starts_with(line + " (");
  return n;
}

bool E2eHome::LoggedContaining(const std::string& piece) const {
  for (const auto& l : host.logged) {
    if (l.find(piece) != std::string::npos) return true;
  }
  return false;
}

bool E2eHome::HasMarker(int year) const {
  return fs::exists(session.paths.ArchiveDir + std::to_string(year) + "/complete.arlm");
}

std::string E2eHome::YearFile(const std::string& ticker, int year) const {
  return session.paths.DataDir + ticker + "/1min/1min_" + std::to_string(year) + ".txt";
}

}  // namespace arl::test
