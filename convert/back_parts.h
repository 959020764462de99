#pragma once
// BackParts: the parts of each day file behind its front part, converted on the helper thread into
// staging while the front part goes to the year files. The helper converts from the cut to the end
// of the file first; then, as long as the front thread has much left, it takes over the back half
// of what is left (see PartFence), so the two threads end together however the machine shares its
// time between them. Their lines wait in the staging of their day until the next day joins them
// (see TickerJoins), so two days' staging is kept. A malformed line raises EConvertError and an
// unreadable file EInOutError, as DayPart does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/buffer_arena.h"
#include "convert/day_part.h"
#include "convert/part_fence.h"
#include "convert/ticker_joins.h"

namespace arl {

class BackParts {
 public:
  static constexpr std::size_t kMaxParts = 6;
  static constexpr std::int64_t kLeast = 128 << 10;  // smaller halves are not taken

  // The first part of each day stages in `stagePerTicker` bytes per ticker from `arena`. `grain`,
  // when not 0, is both the size of the pieces read and the least half taken over.
  BackParts(const LineList& tickers, const std::vector<std::string>& heads, const FormatSettings& formats,
            int gapHours, BufferArena& arena, std::size_t stagePerTicker, std::size_t grain = 0);

  // Helper thread: converts the day file from `cut` on, and what it can take over through `fence`.
  void Convert(std::size_t day, const std::string& path, std::int64_t cut, PartFence& fence);
  void Clear(std::size_t day);  // the day has no part behind its front part
  // The day's parts in file order, each with the number of the file's lines in front of it.
  std::vector<TickerJoins::Waiting> Waiting(std::size_t day, const std::string& name, std::size_t frontLines);
  // The first of the day's parts in file order that has a line of a ticker, or nullptr.
  const DayPart* FirstWithLines(std::size_t day) const;

 private:
  DayPart& Part(std::size_t parity, std::size_t k);  // k = 0 is the last part of the file

  const LineList& tickers_;
  const std::vector<std::string>& heads_;
  const FormatSettings& formats_;
  int gapHours_;
  std::size_t piece_;
  std::int64_t least_;
  DayFileReader reader_;  // the parts are converted one after the other
  std::vector<std::unique_ptr<DayPart>> parts_[2];
  std::size_t used_[2] = {0, 0};
};

}  // namespace arl
