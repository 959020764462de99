#include "merge/year_list.h"

#include "support/files.h"
#include "support/regexp.h"
#include "support/text.h"
#include "support/timeframes.h"

namespace arl {

namespace {
constexpr char kYearPattern[] = "m#\\d{4}#";
}

CurrencyLayout::CurrencyLayout(Session& s, const std::string& name, const std::string& barFrame)
    : paths(s.paths),
      ticker(name),
      options(s.Options()),
      tickerDir(paths.TickerDir(name)),
      currencyDir(barFrame.empty() ? paths.CurrencyDir(options, name)
                                   : paths.BarDir(options, name, barFrame)),
      headName(barFrame.empty() ? options.prefix : barFrame + "_"),
      mergePath(barFrame.empty() ? paths.MergeFilePath(options, name)
                                 : paths.BarMergeFilePath(options, name, barFrame)),
      frame(barFrame) {}

std::vector<YearFileName> ListYearFiles(const CurrencyLayout& layout) {
  if (!DirectoryExists(layout.tickerDir)) CreateDir(layout.tickerDir);
  if (!DirectoryExists(layout.currencyDir)) CreateDir(layout.currencyDir);
  return YearFilesIn(layout);
}

std::vector<YearFileName> YearFilesIn(const CurrencyLayout& layout) {
  LineList names;
  ListFiles(layout.currencyDir, names);
  std::vector<YearFileName> years;

  TBRegExp& re = RegExpInstance();
  const bool headHasYear = re.Match(kYearPattern, layout.headName);
  // The year of a name, or empty when the name is no year file.
  auto yearOf = [&](const std::string& name) -> std::string {
    const std::size_t at = name.find(layout.headName);
    if (at == std::string::npos) return {};
    if (layout.frame.empty()
            ? IsBarFileName(name) && (layout.headName.empty() || !name.starts_with(layout.headName))
            : at != 0)
      return {};
    const std::string target = headHasYear ? name.substr(at + layout.headName.size()) : name;
    return re.Match(kYearPattern, target) ? re.MatchedText(0) : std::string();
  };
  LineList kept;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!yearOf(*it).empty()) kept.push_back(*it);
  }
  SortCaseInsensitive(kept);
  for (const auto& name : kept) years.push_back({yearOf(name), name});
  return years;
}

LineList SortedYears(const std::vector<YearFileName>& files) {
  LineList years;
  for (const auto& f : files) years.push_back(f.year);
  SortCaseInsensitive(years);
  return years;
}

}  // namespace arl
