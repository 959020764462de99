#pragma once
// BarMaker: makes the bars of every timeframe in one pass over a currency's 1-minute lines. It takes
// the bytes of one or more 1-minute year files in time order, cut anywhere (big reads straight from
// the files), and hands each finished bar's line to the sink of its timeframe. Only the bars of the
// days in its window are made: lines of earlier days are passed over after their date, and the first
// line of a later day ends the work (State::Done), so that the caller can stop reading. A bar
// belongs to the day, and so the year, of its start; bars never span midnight.
//
// It fails rather than guess: a time format that cannot be read back stops it before the first
// line, and so does the first line that cannot be read (wrong ticker column, date, time, field
// count or price, a time before the line before it, a file whose last line has no line end). Fault()
// then names the file, the line and the reason. Bars finished before the fault have been put out; a
// caller throws them away, as the run does with any half-made file. Read errors raise EInOutError
// from the caller's reads, never from here.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "convert/bar_fault.h"
#include "convert/bar_ladder.h"
#include "convert/minute_line.h"

namespace arl {

// 1 January of `year`, in days since 1899-12-30.
inline std::int64_t FirstDayOf(int year) { return EncodeDate(year, 1, 1).DayNumber(); }

// The days whose bars are made: [firstDay, endDay), in days since 1899-12-30.
struct BarWindow {
  std::int64_t firstDay = std::numeric_limits<std::int64_t>::min();
  std::int64_t endDay = std::numeric_limits<std::int64_t>::max();

  static BarWindow Year(int year);               // the bars of one calendar year
  static BarWindow From(DateTime firstChanged);  // the bars from the day of a minute on
};

class BarMaker {
 public:
  enum class State { Going, Done, Failed };

  static constexpr std::size_t kMaxLine = 64 << 10;  // no 1-minute line is nearly this long

  BarMaker(const RunOptions& options, std::string_view ticker, const BarSinks& sinks, BarWindow window = {});
  // With a reader of the ticker's lines made before (see MinuteLineReader::ForTicker).
  BarMaker(const MinuteLineReader& reader, const RunOptions& options, std::string_view ticker,
           const BarSinks& sinks, BarWindow window);

  // The file whose bytes come next and the offset of its first byte given to Feed.
  void StartFile(std::string_view name, std::int64_t offset = 0);
  // The next bytes of the file, cut anywhere.
  State Feed(std::string_view bytes);
  // The file has ended: a last line without a line end is torn.
  State EndFile();
  // Puts out the bars still open; false when a fault stopped the maker.
  bool Finish();

  State state() const { return state_; }
  const BarFault& Fault() const { return fault_; }
  const BarWindow& Window() const { return window_; }
  MinuteLineReader& Reader() { return reader_; }

 private:
  bool TakeWholeLine(std::string_view line);
  void TakeLine(std::string_view line);
  void TakePadded(std::string_view line);
  const char* AfterLineEnd(const char* end, const char* stop);
  void Fail(LineFault kind, std::string_view line);

  MinuteLineReader reader_;
  BarLadder ladder_;
  BarWindow window_;
  State state_ = State::Going;
  BarFault fault_;
  std::string carry_;           // the start of a line cut by the end of the bytes fed
  std::string padded_;          // a line copied with room after it
  std::size_t lastLength_ = 0;  // of the last line whose end was searched for
  bool pendingLf_ = false;      // the bytes fed ended with a CR: a LF first in the next belongs to it
  std::int64_t lastTime_ = std::numeric_limits<std::int64_t>::min();  // ms since 1899-12-30 of the last line
  MinuteLine minute_;
};

}  // namespace arl
