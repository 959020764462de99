#pragma once
// RunOptions: the options of one run, parsed once at its start from the texts and indices the
// window's controls (or the settings file) hold. Every step of the run reads this one value, so a
// shift or a retry limit that does not parse stops the run before anything is fetched, with a
// message that names the option as the window labels it and by its settings key.
#include <string>
#include <vector>

#include "support/errors.h"
#include "support/settings.h"
#include "support/timeframes.h"

namespace arl {

// An option whose value cannot be used; what() names the option and says what it must be.
class EOptionError : public Exception {
 public:
  using Exception::Exception;
};

struct RunOptions {
  std::string indexUrl;
  int shiftHours = -6;  // added to the archive's GMT+1 times, -23..23
  int retryLimit = 5;   // failed downloads in a row before a pass gives up, at least 1
  std::string timeFormat = "hh:nn:ss";
  bool keepTicker = false;   // year-file lines start with the ticker
  char dateSeparator = '/';  // between the parts of a printed date
  bool subFolder = true;     // year files go to <ticker>/1min/ instead of <ticker>/
  std::string prefix = "1min_";
  bool merge = false;                          // build the all-years merge files after the run
  TimeframeSet timeframes;                     // the higher timeframes whose bar files are kept
  std::vector<std::string> unknownTimeframes;  // words of the setting that name none, to be logged
};

// Parses the options; raises EOptionError for the first option that cannot be used.
RunOptions ParseRunOptions(const OptionValues& values);

// The window's labels of the options that are typed in, as the error messages quote them.
namespace option_label {
inline constexpr char kRetryLimit[] = "DL失敗時のリトライ回数";
inline constexpr char kTimeFormat[] = "時刻の書式 ※hh:nn:ssで指定";
inline constexpr char kGmtGap[] = "GMT +1:00 から ずらす量";
inline constexpr char kFileHeadName[] = "ファイル名の前に付けたい文字などあれば指定";
}  // namespace option_label

}  // namespace arl
