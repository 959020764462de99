#pragma once
// DayPart: converts a part of a day file (whole lines) into each ticker's new year-file lines,
// without touching any year file. A day file is cut in two at a line end and both parts are
// converted at once on two threads; the parts are then joined per ticker, in file order, into the
// year files. Each converter has its own caches, so the two never share state. A malformed line of
// a currency raises EConvertError as converting the whole file would.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/buffer_arena.h"
#include "convert/byte_buffer.h"
#include "convert/day_file_reader.h"
#include "convert/fast_line.h"
#include "convert/line_converter.h"
#include "convert/part_fence.h"
#include "convert/ticker_matcher.h"
#include "convert/year_line.h"
#include "support/text.h"

namespace arl {

// One ticker's lines from one piece.
struct TickerLines {
  ByteBuffer bytes;                 // whole year-file lines
  std::vector<std::size_t> starts;  // where each line starts in bytes
  std::string firstKey;             // the overlap key of the first line
  std::size_t firstIndex = 0;       // line number of that line in the day file
  std::size_t irregularEnd = 0;     // end of the last line not of the regular shape, 0 if none
  bool touched = false;             // the piece or part had a line of the ticker
  // bytes and starts are the year file's own, lent for the piece (see YearOutput::Lend).
  bool lent = false;

  bool empty() const { return !touched; }
  void Clear() {
    bytes.Clear();
    starts.clear();
    irregularEnd = 0;
    touched = false;
  }
};

class DayPart {
 public:
  // `heads`: the ticker column (with its comma) or "" for each ticker of the list.
  // `reader`, when given, is used instead of a reader of its own (parts converted one after the
  // other share one, and its buffer); it must outlive the part.
  DayPart(const LineList& tickers, const std::vector<std::string>& heads, const FormatSettings& formats,
          int gapHours, std::size_t piece = DayFileReader::kPiece, DayFileReader* reader = nullptr);

  // Converts the lines of a part of a day file (see DayFileReader::Open); their numbers count from
  // the part's first line. With `drain`, the lines are handed to it after every piece read, while
  // they are still in the processor's cache, and are gone from Tickers() afterwards; this is for the
  // part in front, whose lines may go to the year files at once.
  using Drain = std::function<void(std::vector<TickerLines>&)>;
  // With `lend` as well, it is called at a ticker's first line of each piece and may swap the
  // ticker's bytes and starts with its year file's, so the lines are written in place; the drain
  // must then give them back.
  using Lend = std::function<void(std::size_t ticker, TickerLines&)>;
  // With `fence`, the part's end is taken from it before every piece (see PartFence).
  void Convert(const std::string& path, std::int64_t from, std::int64_t until, const Drain* drain = nullptr,
               const Lend* lend = nullptr, PartFence* fence = nullptr);

  // Stages each ticker's lines in `perTicker` bytes taken from `arena` while they fit (the arena
  // must outlive the part); a part that stages a whole half of a day file is worth it.
  void StageIn(BufferArena& arena, std::size_t perTicker);
  void Clear();  // as after converting nothing
  std::vector<TickerLines>& Tickers() { return lines_; }
  std::size_t LineCount() const { return lineCount_; }
  // The first ticker with a line in the piece (-1 when none) and that line's date as the archive
  // writes it, for the status line.
  int FirstTicker() const { return firstTicker_; }
  const std::string& FirstDate() const { return firstDate_; }

 private:
  void ConvertPiece(std::string_view text, std::size_t& index);
  std::size_t ConvertRun(std::string_view text, std::size_t pos, std::string_view prefix, int ticker,
                         std::size_t& index);
  std::size_t ConvertRunWide(std::string_view text, std::size_t pos, std::string_view prefix, int ticker,
                             std::size_t& index);
  void Add(int ticker, std::string_view key, std::string_view prices, bool regular, std::size_t index);
  // The key of a fast line and whether the year-file line is regular (see YearOutput::AppendLines).
  std::string_view FastKey(const FastLine& fast, bool& regular) {
    const std::string_view key = converter_.KeyOnKeyedDate(fast.time, fast.minute, regular);
    if (regular && separator_ != '/') regular = fast.prices.find(separator_) == std::string_view::npos;
    return key;
  }
  static void AppendLine(TickerLines& t, std::string_view head, std::string_view key, std::string_view prices,
                         bool regular) {
    t.starts.push_back(t.bytes.size());
    AppendYearLine(t.bytes, head, key, prices);
    if (!regular) t.irregularEnd = t.bytes.size();
  }

  const std::vector<std::string>& heads_;
  const Lend* lend_ = nullptr;
  const bool wide_;  // the processor has the wide line check
  std::unique_ptr<DayFileReader> ownReader_;
  DayFileReader& reader_;
  TickerMatcher matcher_;
  LineConverter converter_;
  char separator_;
  std::vector<TickerLines> lines_;
  std::size_t lineCount_ = 0;
  int firstTicker_ = -1;
  std::string firstDate_;
};

}  // namespace arl
