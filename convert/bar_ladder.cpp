#include "convert/bar_ladder.h"

#include <cstring>

#include "support/output_line.h"

namespace arl {

namespace {

// The start of the bar of `length` minutes that holds `minute`.
std::int64_t StartOf(std::int64_t minute, std::int64_t length) {
  const std::int64_t within = minute % length;
  return minute - (within < 0 ? within + length : within);
}

constexpr std::int64_t Length(int level) { return kTimeframes[static_cast<std::size_t>(level)].minutes; }

}  // namespace

BarLadder::BarLadder(const RunOptions& options, std::string_view ticker, const BarSinks& sinks)
    : sinks_(sinks), head_(LineHead(options, ticker)), timeFormat_(options.timeFormat, RunFormats(options)) {
  if (!timeFormat_.NeedsDate()) timeByMinute_.resize(kMinutesPerDay);
}

void BarLadder::Start(const MinuteLine& m, std::int64_t minute) {
  Bar& bar = open_[0];
  if (isOpen_[0]) Close(0);
  bar.start = StartOf(minute, Length(0));
  bar.end = bar.start + Length(0);
  bar.year = m.year;
  std::memcpy(bar.date, m.date.data(), sizeof bar.date);
  bar.open.SetText(m.price[0], m.point[0]);
  bar.high.Set(m.price[1], m.point[1]);
  bar.low.Set(m.price[2], m.point[2]);
  bar.close.SetText(m.price[3], m.point[3]);
  isOpen_[0] = true;
}

void BarLadder::Close(int level) {
  const auto at = static_cast<std::size_t>(level);
  isOpen_[at] = false;
  if (sinks_[at] != nullptr) Emit(level, open_[at]);
  if (level + 1 < kTimeframeCount) Fold(level + 1, open_[at]);
}

void BarLadder::Fold(int level, const Bar& bar) {
  const auto at = static_cast<std::size_t>(level);
  Bar& into = open_[at];
  if (isOpen_[at] && bar.start >= into.end) Close(level);
  if (!isOpen_[at]) {
    into = bar;
    into.start = StartOf(bar.start, Length(level));
    into.end = into.start + Length(level);
    isOpen_[at] = true;
    return;
  }
  KeepBetter(into.high, bar.high, true);
  KeepBetter(into.low, bar.low, false);
  into.close = bar.close;
}

void BarLadder::Flush() {
  for (int level = 0; level < kTimeframeCount; ++level)
    if (isOpen_[static_cast<std::size_t>(level)]) Close(level);
}

std::string_view BarLadder::TimeText(std::int64_t startMinute) {
  if (timeByMinute_.empty()) {
    time_.clear();
    timeFormat_.AppendTo(time_, DateTime{startMinute * 60'000});
    return time_;
  }
  const std::int64_t minuteOfDay = startMinute - StartOf(startMinute, kMinutesPerDay);
  std::string& text = timeByMinute_[static_cast<std::size_t>(minuteOfDay)];
  if (text.empty()) timeFormat_.AppendTo(text, DateTime{minuteOfDay * 60'000});
  return text;
}

// The line is written in place at the end of the sink's lines: its pieces are short, and a few word
// moves each beat appending them.
void BarLadder::Emit(int level, const Bar& bar) {
  BarSink& sink = *sinks_[static_cast<std::size_t>(level)];
  const std::string_view time = TimeText(bar.start);
  const PriceText* prices[] = {&bar.open, &bar.high, &bar.low, &bar.close};
  std::size_t length = head_.size() + sizeof bar.date + time.size() + 5 + kLineEndBytes;
  for (const PriceText* price : prices) length += price->size;
  char* const start = sink.lines.Room(length + PriceText::kMax + 1);
  char* to = start;
  ByteBuffer::CopyShort(to, head_.data(), head_.size());
  to += head_.size();
  std::memcpy(to, bar.date, sizeof bar.date);
  to += sizeof bar.date;
  *to++ = ',';
  ByteBuffer::CopyShort(to, time.data(), time.size());
  to += time.size();
  for (const PriceText* price : prices) {
    *to++ = ',';
    // The room past the line takes a whole buffer's copy of a short price.
    if (price->size <= 16)
      std::memcpy(to, price->bytes, 16);
    else
      std::memcpy(to, price->bytes, price->size);
    to += price->size;
  }
  std::memcpy(to, kLineEnd, kLineEndBytes);
  sink.lines.Commit(length);
  sink.Took(bar.year, std::string_view(start, length));
}

}  // namespace arl
