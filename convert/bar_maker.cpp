#include "convert/bar_maker.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

namespace {

// The first CR or LF in [p, stop), or stop.
const char* FindLineEnd(const char* p, const char* stop) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; stop - p >= 16; p += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto ends =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf))));
    if (ends != 0) return p + __builtin_ctz(ends);
  }
#endif
  while (p < stop && *p != '\r' && *p != '\n') ++p;
  return p;
}

}  // namespace

BarWindow BarWindow::Year(int year) { return {FirstDayOf(year), FirstDayOf(year + 1)}; }

BarWindow BarWindow::From(DateTime firstChanged) {
  BarWindow window;
  window.firstDay = firstChanged.DayNumber();
  return window;
}

BarMaker::BarMaker(const RunOptions& options, std::string_view ticker, const BarSinks& sinks,
                   BarWindow window)
    : BarMaker(MinuteLineReader(options, ticker), options, ticker, sinks, window) {}

BarMaker::BarMaker(const MinuteLineReader& reader, const RunOptions& options, std::string_view ticker,
                   const BarSinks& sinks, BarWindow window)
    : reader_(reader), ladder_(options, ticker, sinks), window_(window) {
  fault_.timeFormat = options.timeFormat;
  carry_.reserve(4096);
  padded_.reserve(4096);
  if (!reader_.Readable()) {
    state_ = State::Failed;
    fault_.kind = LineFault::TimeFormat;
  }
}

void BarMaker::StartFile(std::string_view name, std::int64_t offset) {
  fault_.file.assign(name);
  fault_.fileStart = offset;
  fault_.line = 0;
  carry_.clear();
  pendingLf_ = false;
}

void BarMaker::Fail(LineFault kind, std::string_view line) {
  state_ = State::Failed;
  fault_.kind = kind;
  fault_.text.assign(line.substr(0, 120));
}

// Where the line after the one ending at `end` starts; a CR that ends the bytes fed may be followed
// by the LF of the same line end.
const char* BarMaker::AfterLineEnd(const char* end, const char* stop) {
  if (*end == '\r') {
    if (end + 1 == stop) {
      pendingLf_ = true;
      return stop;
    }
    if (end[1] == '\n') return end + 2;
  }
  return end + 1;
}

BarMaker::State BarMaker::Feed(std::string_view bytes) {
  const char* p = bytes.data();
  const char* const stop = p + bytes.size();
  if (state_ != State::Going || p == stop) return state_;
  if (pendingLf_) {
    pendingLf_ = false;
    if (*p == '\n') ++p;
  }
  if (!carry_.empty() && p < stop) {
    const char* end = FindLineEnd(p, stop);
    carry_.append(p, end);
    if (carry_.size() > kMaxLine) {
      ++fault_.line;
      Fail(LineFault::TooLong, carry_);
      return state_;
    }
    if (end == stop) return state_;
    TakePadded(carry_);
    carry_.clear();
    p = AfterLineEnd(end, stop);
  }
  while (p < stop && state_ == State::Going) {
    // Lines mostly keep the length of the line before. Where a line end stands at that length, a
    // line read whole there shows that none stands earlier, and the search for it is saved.
    const char* guess = p + lastLength_;
    if (stop - guess > static_cast<std::ptrdiff_t>(MinuteLineReader::kLineSlack) &&
        (*guess == '\r' || *guess == '\n') && TakeWholeLine(std::string_view(p, lastLength_))) {
      p = AfterLineEnd(guess, stop);
      continue;
    }
    const char* end = FindLineEnd(p, stop);
    if (end == stop) {
      // The line goes on in the next bytes.
      carry_.assign(p, end);
      if (carry_.size() > kMaxLine) {
        ++fault_.line;
        Fail(LineFault::TooLong, carry_);
      }
      break;
    }
    const std::string_view line(p, static_cast<std::size_t>(end - p));
    lastLength_ = line.size();
    if (static_cast<std::size_t>(stop - end) >= MinuteLineReader::kLineSlack)
      TakeLine(line);
    else
      TakePadded(line);
    p = AfterLineEnd(end, stop);
  }
  return state_;
}

// A line whose bytes do not have the reader's slack after them is read from a copy that has it.
void BarMaker::TakePadded(std::string_view line) {
  padded_.assign(line);
  padded_.append(MinuteLineReader::kLineSlack, '\0');
  TakeLine(std::string_view(padded_.data(), line.size()));
}

// A good line of the window is taken at once; the reader's memory of the last date and minute is
// all that changes when it is not.
bool BarMaker::TakeWholeLine(std::string_view line) {
  std::size_t rest = 0;
  if (line.empty() || reader_.ReadDate(line, minute_, rest) != LineFault::None ||
      minute_.day < window_.firstDay || minute_.day >= window_.endDay ||
      reader_.ReadRest(line, rest, minute_) != LineFault::None)
    return false;
  const std::int64_t time = minute_.day * DateTime::kMsPerDay + minute_.msOfDay;
  if (time < lastTime_) return false;
  ++fault_.line;
  lastTime_ = time;
  ladder_.Add(minute_);
  return true;
}

// Any other line: blank, of another day than the window's, or one that cannot be read.
void BarMaker::TakeLine(std::string_view line) {
  if (TakeWholeLine(line)) return;
  ++fault_.line;
  if (line.empty()) return;  // no line of a year file is empty; a blank line holds no minute
  std::size_t rest = 0;
  LineFault fault = reader_.ReadDate(line, minute_, rest);
  if (fault != LineFault::None) return Fail(fault, line);
  if (minute_.day < window_.firstDay) return;
  if (minute_.day >= window_.endDay) {
    state_ = State::Done;
    return;
  }
  fault = reader_.ReadRest(line, rest, minute_);
  if (fault != LineFault::None) return Fail(fault, line);
  Fail(LineFault::Order, line);
}

BarMaker::State BarMaker::EndFile() {
  if (state_ == State::Going && !carry_.empty()) {
    ++fault_.line;
    Fail(LineFault::Torn, carry_);
  }
  carry_.clear();
  pendingLf_ = false;
  return state_;
}

bool BarMaker::Finish() {
  if (state_ == State::Failed) return false;
  ladder_.Flush();
  state_ = State::Done;
  return true;
}

}  // namespace arl
