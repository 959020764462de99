#pragma once
// Where one currency's year files and merge file live, and which of its files count as year files.
// The year list comes from the directory, not from the index page: a ".txt" name that holds the head
// name and four digits in a row is a year file, whatever else it holds (a copy of a year file counts).
#include <string>
#include <vector>

#include "run/session.h"
#include "support/text.h"

namespace arl {

// The paths of one currency, from the options read once when the layout is made: of its 1-minute
// files, or with `frame` ("5min", ...) of the bar files of that timeframe.
struct CurrencyLayout {
  CurrencyLayout(Session& s, const std::string& name, const std::string& frame = {});
  Paths paths;
  std::string ticker;
  RunOptions options;
  std::string tickerDir;    // DataDir + ticker + "/"
  std::string currencyDir;  // tickerDir + "1min/" (the sub-folder chosen) or tickerDir
  std::string headName;     // the file-name prefix
  std::string mergePath;
  std::string frame;  // "" for the 1-minute files
  std::string YearFilePath(int year) const {
    return frame.empty() ? paths.YearFilePath(options, ticker, std::to_string(year))
                         : paths.BarYearFilePath(options, ticker, frame, std::to_string(year));
  }
};

// One year file of the currency directory: its year and its name.
struct YearFileName {
  std::string year;  // the four digits
  std::string name;  // the bare file name
};

// Creates the ticker's directories (one level each, failures ignored), lists the currency directory
// and keeps the year files, sorted by name without regard to case (for plain names, year order; the
// newest year is the largest year text, which need not be the last name).
// The year is the first run of four digits; when the head name itself holds four digits in a row it
// would be the same for every file, so then the digits are looked for after the head name.
// Bar files ("5min_2010.txt") may lie beside the 1-minute files: a bar layout takes only names that
// start with its own head name ("15min_" holds "5min_"), and the 1-minute one none of theirs.
std::vector<YearFileName> ListYearFiles(const CurrencyLayout& layout);
// The same without creating anything: what is there now.
std::vector<YearFileName> YearFilesIn(const CurrencyLayout& layout);

// The years of the list in ascending order (duplicates kept).
LineList SortedYears(const std::vector<YearFileName>& files);

}  // namespace arl
