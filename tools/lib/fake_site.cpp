#include "tools/lib/fake_site.h"

#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/errors.h"

namespace arl::tools {
namespace fs = std::filesystem;
namespace {

std::string Two(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n % 100);
  return buf;
}

// Writes through a temporary file and a rename, so a server reading the tree while the site grows
// never sees half a page or half an archive.
void WriteWholeFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw Exception("cannot write " + temp);
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) throw Exception("cannot rename " + temp + ": " + ec.message());
}

std::string PageHead(const std::string& title) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head>\n<body>\n<h1>" + title + "</h1>\n";
}

// Archive links are written either relative to the page or from the site root, as pages edited by
// hand over the years tend to be; which one is fixed by the seed and the date.
std::string ArchiveHref(const Ymd& d, std::uint64_t seed) {
  std::string path = FakeSite::ArchivePath(d);  // "/free_forex_quotes/2011/01/030111.zip"
  bool relative = (seed + static_cast<std::uint64_t>(d.month * 31 + d.day)) % 2 == 0;
  return relative ? path.substr(std::string("/free_forex_quotes/").size()) : path;
}

std::string ArchiveList(const std::vector<Ymd>& days, std::uint64_t seed) {
  std::string html = "<ul>\n";
  for (const Ymd& d : days) {
    html += "<li><a href=\"" + ArchiveHref(d, seed) + "\">" + ArchiveName(d) + "</a></li>\n";
  }
  return html + "</ul>\n";
}

std::map<std::string, std::string> ReadState(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw Exception("no generated site here: " + path + " is missing");
  std::map<std::string, std::string> values;
  std::string line;
  while (std::getline(in, line)) {
    auto eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

}  // namespace

std::string FakeSite::YearPagePath(int year) {
  return "/free_forex_quotes/forex_history_arhiv_" + std::to_string(year) + ".html";
}

std::string FakeSite::ArchivePath(const Ymd& d) {
  return "/free_forex_quotes/" + std::to_string(d.year) + "/" + Two(d.month) + "/" + ArchiveName(d);
}

FakeSite::FakeSite(std::string dir, FakeSiteOptions options) : dir_(std::move(dir)), options_(options) {
  if (dir_.empty() || dir_.back() != '/') dir_ += '/';
}

FakeSite FakeSite::Generate(const std::string& dir, const FakeSiteOptions& options) {
  if (options.firstYear > options.lastYear) throw Exception("the first year is after the last year");
  FakeSite site(dir, options);
  site.newestYear_ = options.lastYear;
  int newest = options.newestDays < 0 ? options.daysPerYear : options.newestDays;
  const int newestYearDays = static_cast<int>(site.YearDays(options.lastYear).size());
  site.newestDays_ = std::clamp(newest <= 0 ? newestYearDays : newest, 1, newestYearDays);
  fs::create_directories(site.dir_);
  for (int year = options.firstYear; year <= options.lastYear; ++year) {
    for (const Ymd& d : site.PublishedDays(year)) site.WriteArchive(d);
  }
  site.WritePages();
  site.SaveState();
  return site;
}

FakeSite FakeSite::Open(const std::string& dir) {
  FakeSite site(dir, {});
  auto v = ReadState(site.dir_ + kStateFile);
  try {
    FakeSiteOptions& o = site.options_;
    o.seed = std::stoull(v.at("seed"));
    o.firstYear = std::stoi(v.at("first_year"));
    o.lastYear = std::stoi(v.at("newest_year"));
    o.daysPerYear = std::stoi(v.at("days_per_year"));
    o.newestDays = std::stoi(v.at("newest_days"));
    o.tickers = std::stoi(v.at("tickers"));
    o.firstMinute = std::stoi(v.at("first_minute"));
    o.lastMinute = std::stoi(v.at("last_minute"));
    o.gapRate = std::stod(v.at("gap_rate"));
    o.heading = v.at("heading") == "1";
    o.yearEnds = v.count("year_ends") != 0 && v.at("year_ends") == "1";  // older state files lack it
  } catch (const std::exception& e) {
    throw Exception("damaged site state in " + site.dir_ + kStateFile + ": " + e.what());
  }
  site.newestYear_ = site.options_.lastYear;
  site.newestDays_ = site.options_.newestDays;
  return site;
}

std::vector<Ymd> FakeSite::Grow(int days) {
  std::vector<Ymd> added;
  for (int i = 0; i < days; ++i) {
    if (newestDays_ >= static_cast<int>(YearDays(newestYear_).size())) {
      ++newestYear_;  // the old newest year now gets a page of its own
      newestDays_ = 1;
    } else {
      ++newestDays_;
    }
    Ymd d = YearDays(newestYear_)[static_cast<std::size_t>(newestDays_ - 1)];
    WriteArchive(d);
    added.push_back(d);
  }
  options_.lastYear = newestYear_;
  options_.newestDays = newestDays_;
  WritePages();
  SaveState();
  return added;
}

std::vector<Ymd> FakeSite::YearDays(int year) const {
  std::vector<Ymd> days = TradingDays(year);
  if (options_.daysPerYear > 0 && static_cast<std::size_t>(options_.daysPerYear) < days.size())
    days.resize(static_cast<std::size_t>(options_.daysPerYear));
  if (options_.yearEnds) {
    days.insert(days.begin(), Ymd{year, 1, 1});
    if (days.back().month != 12 || days.back().day != 31) days.push_back(Ymd{year, 12, 31});
  }
  return days;
}

std::vector<Ymd> FakeSite::PublishedDays(int year) const {
  if (year < options_.firstYear || year > newestYear_) return {};
  std::vector<Ymd> days = YearDays(year);
  if (year == newestYear_) days.resize(static_cast<std::size_t>(newestDays_));
  return days;
}

DayDataOptions FakeSite::DayOptions() const {
  DayDataOptions o;
  o.seed = options_.seed;
  o.tickers = DefaultTickers(options_.tickers);
  o.heading = options_.heading;
  o.gapRate = options_.gapRate;
  o.firstMinute = options_.firstMinute;
  o.lastMinute = options_.lastMinute;
  return o;
}

void FakeSite::WriteArchive(const Ymd& d) const {
  std::string zip = dir_ + ArchivePath(d).substr(1);
  std::string entry = ArchiveName(d);
  entry.replace(entry.size() - 4, 4, ".txt");
  WriteZip(zip, entry, MakeDayFile(d, DayOptions()));
}

void FakeSite::WritePages() const {
  const std::uint64_t seed = options_.seed;
  std::string index = PageHead("Free forex history archive");
  index += "<p><a href=\"/\">Home</a> | <a href=\"/downloads/chart_viewer.zip\">Chart viewer</a></p>\n";
  index += "<h2>" + std::to_string(newestYear_) + "</h2>\n" + ArchiveList(PublishedDays(newestYear_), seed);
  index += "<h2>Older years</h2>\n<ul>\n";
  for (int year = newestYear_ - 1; year >= options_.firstYear; --year) {
    std::string path = YearPagePath(year);
    std::string href = (seed + static_cast<std::uint64_t>(year)) % 2 == 0
                           ? path.substr(std::string("/free_forex_quotes/").size())
                           : path;
    index += "<li><a href=\"" + href + "\">" + std::to_string(year) + "</a></li>\n";
  }
  index +=
      "</ul>\n<p><a href=\"/free_forex_quotes/forex_history_arhiv_faq.htm\">FAQ</a></p>\n</body></html>\n";
  WriteWholeFile(dir_ + std::string(kIndexPath).substr(1), index);

  for (int year = options_.firstYear; year < newestYear_; ++year) {
    std::string page = PageHead("Free forex history archive " + std::to_string(year));
    page += "<p><a href=\"forex_history_arhiv.html\">Back to the archive</a></p>\n";
    page += ArchiveList(PublishedDays(year), seed) + "</body></html>\n";
    WriteWholeFile(dir_ + YearPagePath(year).substr(1), page);
  }
  WriteWholeFile(dir_ + "index.html", PageHead("Home") + "<p><a href=\"" + std::string(kIndexPath) +
                                          "\">Archive</a></p>\n</body></html>\n");
  WriteWholeFile(dir_ + "free_forex_quotes/forex_history_arhiv_faq.htm",
                 PageHead("FAQ") + "<p>Times are GMT+1:00.</p>\n</body></html>\n");
}

void FakeSite::SaveState() const {
  std::ostringstream s;
  s << "seed=" << options_.seed << "\nfirst_year=" << options_.firstYear << "\nnewest_year=" << newestYear_
    << "\ndays_per_year=" << options_.daysPerYear << "\nnewest_days=" << newestDays_
    << "\ntickers=" << options_.tickers << "\nfirst_minute=" << options_.firstMinute
    << "\nlast_minute=" << options_.lastMinute << "\ngap_rate=" << options_.gapRate
    << "\nheading=" << (options_.heading ? 1 : 0) << "\nyear_ends=" << (options_.yearEnds ? 1 : 0) << "\n";
  WriteWholeFile(dir_ + kStateFile, s.str());
}

void WriteZip(const std::string& zipPath, const std::string& entryName, const std::string& content) {
  fs::create_directories(fs::path(zipPath).parent_path());
  std::string temp = zipPath + ".tmp";
  struct archive* a = archive_write_new();
  if (a == nullptr) throw Exception("cannot start a zip archive");
  auto fail = [&](const std::string& what) {
    std::string detail = archive_error_string(a) ? archive_error_string(a) : "";
    archive_write_free(a);
    ::unlink(temp.c_str());
    throw Exception("cannot write " + zipPath + " (" + what + "): " + detail);
  };
  if (archive_write_set_format_zip(a) != ARCHIVE_OK) fail("format");
  if (archive_write_zip_set_compression_deflate(a) != ARCHIVE_OK) fail("deflate");
  if (archive_write_open_filename(a, temp.c_str()) != ARCHIVE_OK) fail("open");
  struct archive_entry* e = archive_entry_new();
  archive_entry_set_pathname(e, entryName.c_str());
  archive_entry_set_size(e, static_cast<la_int64_t>(content.size()));
  archive_entry_set_filetype(e, AE_IFREG);
  archive_entry_set_perm(e, 0644);
  archive_entry_set_mtime(e, 1'000'000'000, 0);  // fixed, so the same seed gives the same bytes
  int rc = archive_write_header(a, e);
  archive_entry_free(e);
  if (rc != ARCHIVE_OK) fail("header");
  if (!content.empty() &&
      archive_write_data(a, content.data(), content.size()) != static_cast<la_ssize_t>(content.size())) {
    fail("data");
  }
  if (archive_write_close(a) != ARCHIVE_OK) fail("close");
  archive_write_free(a);
  std::error_code ec;
  fs::rename(temp, zipPath, ec);
  if (ec) {
    ::unlink(temp.c_str());
    throw Exception("cannot rename " + temp + ": " + ec.message());
  }
}

}  // namespace arl::tools
