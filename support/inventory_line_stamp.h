#pragma once
// The date and time of a year-file line read back, for the inventory (output_line.h has the line):
// an optional ticker column, the date "yyyy?mm?dd" with "/" or "-" between its parts, and the time
// printed with the run's time format. Which of the two separators and whether the ticker column is
// there is read from each line, so a year written before the options changed reads as well; the time
// format cannot be seen in the text and is the run's. The reader works on bytes in place and never
// allocates: the inventory runs it on every line of gigabytes of year files.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "support/run_options.h"

namespace arl {

inline constexpr std::size_t kLineDateBytes = 10;  // "yyyy/mm/dd"
// No day: day numbers of dates before 1899-12-30 are negative, so none of them can mean "none".
inline constexpr std::int64_t kNoDay = INT64_MIN;

// The day number (days since 1899-12-30, as DateTime counts them) of the date "yyyy?mm?dd" at `p`
// (10 bytes, "/" or "-" at both separator places), or kNoDay when those bytes are no valid date.
std::int64_t ReadLineDate(const char* p);

// Where the date field of the line [p, end) starts: 0 when the line starts with a date and a comma,
// otherwise behind the first comma (the ticker column); -1 when the line has no date field there.
std::int64_t LineDateOffset(const char* p, const char* end);

// StampTimeReader: reads the time field back with the tokens the run's time format compiles to
// (support/datetime.h), so every format the converter can print is read by the same rules. A format
// that cannot be read back without guessing is refused once, up front: one that prints a date, one
// without an hour, two numbers of free width side by side ("hn"), or an AM/PM marker whose two
// texts are the same. Problem() then says why, and Read is not used.
// Its name is its own: the bar engine's reader of times (convert/time_field.h) shares the namespace,
// and two classes of one name in one program would share their inline members and destructors.
class StampTimeReader {
 public:
  explicit StampTimeReader(const RunOptions& options);
  bool Readable() const { return problem_.empty(); }
  const std::string& Problem() const { return problem_; }

  // Reads a time at [p, end); returns the byte behind it and sets the seconds of the day (the
  // milliseconds are dropped), or nullptr when the text is no time of the format.
  // The bytes of a time of one width ("hh:nn:ss"; empty when a part's width varies): per place the
  // literal byte it must be, or 0 and in maxDigit the largest digit that may stand there. A
  // two-digit 24-hour at hourAt may be at most "23", more than its digits' limits say.
  struct Shape {
    std::string literal, maxDigit;
    int hourAt = -1;
  };
  const Shape& FixedShape() const { return shape_; }

  const char* Read(const char* p, const char* end, int& secondOfDay) const {
    if (fixed_.length != 0 && end - p >= 16) return ReadFixed(p, secondOfDay);
    return ReadSteps(p, end, secondOfDay);
  }

 private:
  enum class Kind : unsigned char { Literal, Hour, Hour12, Minute, Second, Millisecond, AmPm };
  struct Step {
    Kind kind = Kind::Literal;
    unsigned char minDigits = 0, maxDigits = 0;
    std::string text, text2;  // Literal; AmPm: the morning and afternoon texts
  };
  std::string Compile(const RunOptions& options);  // the problem, or ""
  void CompileFixed();
  const char* ReadSteps(const char* p, const char* end, int& secondOfDay) const;
  const char* ReadFixed(const char* p, int& secondOfDay) const;

  // The layout of a format whose every part has one width ("hh:nn:ss"), checked eight bytes at a
  // time: the literal bytes, the digit places, and where each number stands. length 0: none.
  struct Fixed {
    std::size_t length = 0;
    std::uint64_t literalMask[2] = {}, literal[2] = {}, digitMask[2] = {};
    struct Number {
      unsigned char at, digits;
      Kind kind;
    } numbers[8] = {};
    std::size_t count = 0;
  };
  Fixed fixed_;
  Shape shape_;

  std::vector<Step> steps_;
  bool twelveHour_ = false;  // the hour is read on the 12-hour clock, its half from the AM/PM marker
  std::string problem_;
};

}  // namespace arl
