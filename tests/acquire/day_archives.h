#pragma once
// Day archives for the acquisition tests: real zips made with the zip tool, linked from a FakeBrowser
// page and served by the FakeDownloader.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/common/fake_host.h"
#include "tools/lib/day_data.h"

namespace arl::test {

inline constexpr char kHost[] = "http://quotes.test:8080";

// The bytes of a zip holding one file `entryName` with `content`.
inline std::string ZipBytes(const std::string& workDir, const std::string& entryName,
                            const std::string& content) {
  std::filesystem::remove_all(workDir);
  WriteFile(workDir + entryName, content);
  const std::string command = "cd '" + workDir + "' && zip -q -X out.zip '" + entryName + "'";
  if (std::system(command.c_str()) != 0) return {};
  return ReadFile(workDir + "out.zip");
}

inline std::string DayLink(const std::string& archiveName, const std::string& year) {
  return std::string(kHost) + "/free_forex_quotes/" + year + "/" + archiveName;
}

// Serves a day archive at `link` holding `content` under the archive's own stem + ".txt".
inline void ServeArchive(FakeSession& fs, const std::string& link, const std::string& archiveName,
                         const std::string& content) {
  const std::string entry = archiveName.substr(0, archiveName.size() - 4) + ".txt";
  fs.downloader.files[link] = ZipBytes(fs.home.path() + "zipwork/", entry, content);
}

// A small but real day of quotes for the session's two tickers.
inline std::string DayContent(const tools::Ymd& day) {
  tools::DayDataOptions options;
  options.tickers = {"EURUSD", "USDJPY"};
  options.lastMinute = 20;
  return tools::MakeDayFile(day, options);
}

// Links the day on `page` and serves its archive; returns the link.
inline std::string PublishDay(FakeSession& fs, const std::string& page, const tools::Ymd& day) {
  const std::string name = tools::ArchiveName(day);
  const std::string link = DayLink(name, std::to_string(day.year));
  fs.browser.pages[page].push_back(link);
  ServeArchive(fs, link, name, DayContent(day));
  return link;
}

// Log lines that read `line`, with or without a reason appended in parentheses.
inline int CountLogged(const FakeEvents& host, const std::string& line) {
  int n = 0;
  for (const auto& l : host.logged) n += l == line || l.starts_with(line + " (");
  return n;
}

}  // namespace arl::test
