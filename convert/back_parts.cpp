#include "convert/back_parts.h"

namespace arl {

BackParts::BackParts(const LineList& tickers, const std::vector<std::string>& heads,
                     const FormatSettings& formats, int gapHours, BufferArena& arena,
                     std::size_t stagePerTicker, std::size_t grain)
    : tickers_(tickers),
      heads_(heads),
      formats_(formats),
      gapHours_(gapHours),
      piece_(grain > 0 ? grain : DayFileReader::kPiece),
      least_(grain > 0 ? static_cast<std::int64_t>(grain) : kLeast),
      reader_(piece_) {
  for (std::size_t parity = 0; parity < 2; ++parity) Part(parity, 0).StageIn(arena, stagePerTicker);
}

DayPart& BackParts::Part(std::size_t parity, std::size_t k) {
  auto& parts = parts_[parity];
  while (parts.size() <= k)
    parts.push_back(std::make_unique<DayPart>(tickers_, heads_, formats_, gapHours_, piece_, &reader_));
  return *parts[k];
}

void BackParts::Convert(std::size_t day, const std::string& path, std::int64_t cut, PartFence& fence) {
  const std::size_t parity = day % 2;
  used_[parity] = 0;
  std::int64_t end = -1;
  for (;;) {
    Part(parity, used_[parity]++).Convert(path, cut, end);
    if (used_[parity] == kMaxParts) return;
    const std::int64_t taken = fence.Split(cut, least_);
    if (taken < 0) return;
    end = cut;
    cut = taken;
  }
}

void BackParts::Clear(std::size_t day) { used_[day % 2] = 0; }

std::vector<TickerJoins::Waiting> BackParts::Waiting(std::size_t day, const std::string& name,
                                                     std::size_t frontLines) {
  const std::size_t parity = day % 2;
  std::vector<TickerJoins::Waiting> waiting;
  std::size_t before = frontLines;
  for (std::size_t k = used_[parity]; k-- > 0;) {
    DayPart& part = *parts_[parity][k];
    waiting.push_back({&part.Tickers(), DayRef{day, name, before}});
    before += part.LineCount();
  }
  return waiting;
}

const DayPart* BackParts::FirstWithLines(std::size_t day) const {
  const std::size_t parity = day % 2;
  for (std::size_t k = used_[parity]; k-- > 0;)
    if (parts_[parity][k]->FirstTicker() >= 0) return parts_[parity][k].get();
  return nullptr;
}

}  // namespace arl
