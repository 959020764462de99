#pragma once
// LineConverter: turns one day-file quote line into the parts of a currency year file line: the
// shifted "date,time" (also the overlap key) and the four prices. Dates and times are read and
// printed with the run's formats and shifted by the run's whole-hour gap. A year of day files repeats
// the same dates and minutes millions of times, so the printed "date,time" is kept per date field and
// minute. Any line of a currency with fewer than seven fields, or whose date or time does not parse,
// raises EConvertError.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/scanned_line.h"
#include "support/datetime.h"

namespace arl {

// The archive's compact date and time with separators put in, as the day-file line is read:
// "20050103" -> "2005/01/03" (the run's date separator), "000100" -> "00:01:00". Short texts get the
// separators appended, as an insert past the end does.
std::string ArchiveDateText(std::string_view compact, char separator);
std::string ArchiveTimeText(std::string_view compact);

struct ConvertedLine {
  std::string_view key;     // "date,time" as printed in the year file
  std::string_view prices;  // fields 3 to 6 joined by commas
  bool regular = false;     // the date separator stands only at the key's positions 4 and 7
};

class LineConverter {
 public:
  LineConverter(const FormatSettings& formats, int gapHours);

  // The views stay valid until the next call.
  ConvertedLine Convert(std::string_view line);
  ConvertedLine Convert(const ScannedLine& line);

  // The unshifted date text of the line last converted (for the status line), valid while that
  // line's text is.
  std::string LastArchiveDate() const;

  // The date field that whole-minute keys are kept for (the last one keyed), and the key of a
  // whole-minute time on it, as Convert would give it.
  std::string_view KeyedDateField() const { return keyDate_; }
  std::string_view KeyOnKeyedDate(std::string_view timeField, int minute, bool& regular) {
    if (const std::uint8_t have = haveKey_[static_cast<std::size_t>(minute)]) {
      regular = (have & 2) != 0;
      return keyByMinute_[static_cast<std::size_t>(minute)];
    }
    return NewKeyOnKeyedDate(timeField, regular);
  }

 private:
  std::string_view KeyOf(std::string_view dateField, std::string_view timeField, bool& regular);
  bool IsRegularKey(std::string_view key) const;
  std::string_view NewKeyOnKeyedDate(std::string_view timeField, bool& regular);
  std::int64_t MinuteMs(int minute, std::string_view timeField);
  void AppendDate(DateTime t);
  void AppendTime(DateTime t);
  DateTime ParseDate(std::string_view field);
  std::int64_t ParseTimeMs(std::string_view field);

  FormatSettings formats_;
  std::int64_t gapMs_;
  CompiledFormat dateFormat_, timeFormat_;

  std::vector<std::string_view> fields_;
  std::string storage_, prices_, key_;
  std::string lastDateField_;
  std::string_view statusDateField_;
  DateTime lastDate_{};
  bool haveLastDate_ = false;
  // Printed keys of whole minutes for the date field keyDate_.
  std::string keyDate_;
  std::vector<std::string> keyByMinute_;
  std::vector<std::uint8_t> haveKey_;  // bit 0: printed, bit 1: regular
  // A new date field needs every minute's key printed again; the parts of a key are kept across
  // dates: the time of each whole minute, the printed date of the last day and the printed time of
  // each whole minute of the day (when the formats print only the date and only the time of day).
  std::vector<std::int64_t> minuteMs_;
  std::int64_t dateTextDay_ = -1;
  std::string dateText_;
  std::vector<std::string> timeTextByMinute_;
};

}  // namespace arl
