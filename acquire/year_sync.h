#pragma once
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {
// Brings one year up to date from its page; true when the year ends complete (marker present).
bool SyncYear(Session& s, const std::string& pageUrl, const std::string& year);
void ListCurrencyDirs(Session& s, LineList& list);
void DeleteYearOutputs(Session& s, const std::string& year);

// The year files of a rebuild, moved aside instead of deleted so that a rebuild that is cancelled or
// fails can give them back: a year's files are never lost to a rebuild that did not finish.
class YearOutputsAside {
 public:
  YearOutputsAside(Session& s, const std::string& year);  // moves every currency's year file aside
  void Drop();     // the rebuild succeeded: delete what was moved aside
  void Restore();  // it did not: give back every file the rebuild did not write anew
  // Deletes what a killed rebuild left aside beside a year file it wrote anew: the new file stands.
  static void DropLeftOver(Session& s, const std::string& year);
  static constexpr char kSuffix[] = ".aside";

 private:
  LineList paths_;  // the year files' own paths
};
void DayFilesToArchiveNames(LineList& list);
}  // namespace arl
