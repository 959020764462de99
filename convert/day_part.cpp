#include "convert/day_part.h"

#include "convert/fast_line.h"
#include "convert/scanned_line.h"
#include "convert/year_line.h"

namespace arl {

DayPart::DayPart(const LineList& tickers, const std::vector<std::string>& heads,
                 const FormatSettings& formats, int gapHours, std::size_t piece, DayFileReader* reader)
    : heads_(heads),
      wide_(HasWideLineCheck()),
      ownReader_(reader == nullptr ? std::make_unique<DayFileReader>(piece) : nullptr),
      reader_(reader == nullptr ? *ownReader_ : *reader),
      matcher_(tickers),
      converter_(formats, gapHours),
      separator_(formats.DateSeparator),
      lines_(tickers.size()) {}

void DayPart::Add(int ticker, std::string_view key, std::string_view prices, bool regular,
                  std::size_t index) {
  TickerLines& t = lines_[static_cast<std::size_t>(ticker)];
  if (!t.touched) {
    t.touched = true;
    t.firstKey.assign(key);
    t.firstIndex = index;
    if (firstTicker_ < 0) {
      firstTicker_ = ticker;
      firstDate_ = converter_.LastArchiveDate();
    }
    if (lend_ != nullptr) (*lend_)(static_cast<std::size_t>(ticker), t);
  }
  AppendLine(t, heads_[static_cast<std::size_t>(ticker)], key, prices, regular);
}

void DayPart::StageIn(BufferArena& arena, std::size_t perTicker) {
  for (TickerLines& t : lines_) {
    if (char* memory = arena.Take(perTicker)) t.bytes.Adopt(memory, perTicker);
    t.starts.reserve(perTicker / 40);  // a year-file line is rarely shorter
  }
}

void DayPart::Clear() {
  for (TickerLines& t : lines_) t.Clear();
  firstTicker_ = -1;
  lineCount_ = 0;
}

void DayPart::Convert(const std::string& path, std::int64_t from, std::int64_t until, const Drain* drain,
                      const Lend* lend, PartFence* fence) {
  Clear();
  lend_ = drain != nullptr ? lend : nullptr;
  reader_.Open(path, from, until);
  std::size_t index = 0;
  std::string_view text;
  for (;;) {
    if (fence != nullptr) reader_.SetUntil(fence->Claim(reader_.Reach()));
    if (!reader_.Next(text)) break;
    ConvertPiece(text, index);
    if (drain == nullptr) continue;
    (*drain)(lines_);
    for (TickerLines& t : lines_) t.Clear();
  }
  if (fence != nullptr) fence->Close();
  lineCount_ = index;
}

// The lines from text[pos] on that repeat `prefix`, of one ticker, straight into its bytes; returns
// where the first line that does not starts. `index` counts the lines converted.
std::size_t DayPart::ConvertRun(std::string_view text, std::size_t pos, std::string_view prefix, int ticker,
                                std::size_t& index) {
  TickerLines& t = lines_[static_cast<std::size_t>(ticker)];
  const std::string_view head = heads_[static_cast<std::size_t>(ticker)];
  FastLine fast;
  while (ReadFastLine(text, pos, prefix, true, fast)) {
    bool regular = false;
    const std::string_view key = FastKey(fast, regular);
    AppendLine(t, head, key, fast.prices, regular);
    pos = fast.next;
    ++index;
  }
  return pos;
}

// ConvertRun with the wide line check, compiled for the processors that have it.
ARL_WIDE_TARGET std::size_t DayPart::ConvertRunWide(std::string_view text, std::size_t pos,
                                                    std::string_view prefix, int ticker, std::size_t& index) {
  TickerLines& t = lines_[static_cast<std::size_t>(ticker)];
  const std::string_view head = heads_[static_cast<std::size_t>(ticker)];
  FastLine fast;
  const WideBytes bytes;
  while (ReadFastLineWide(text, pos, prefix, bytes, fast)) {
    bool regular = false;
    const std::string_view key = FastKey(fast, regular);
    AppendLine(t, head, key, fast.prices, regular);
    pos = fast.next;
    ++index;
  }
  return pos;
}

void DayPart::ConvertPiece(std::string_view text, std::size_t& index) {
  const bool fastAllowed = matcher_.OnlyFieldBound();
  ScannedLine line;
  FastLine fast;
  // The first two fields of the last line of the general path, when the lines that repeat them may
  // take the fast path: they belong to prefixTickers (converting) or to no ticker.
  std::string_view prefix;
  bool prefixConverts = false;
  std::vector<int> prefixTickers;
  LineScanner scanner(text);
  for (;; ++index) {
    if (prefixConverts && !prefix.empty() && prefixTickers.size() == 1) {
      const std::size_t pos = scanner.Pos();
      const int ticker = prefixTickers.front();
      const std::size_t next = wide_ ? ConvertRunWide(text, pos, prefix, ticker, index)
                                     : ConvertRun(text, pos, prefix, ticker, index);
      if (next != pos) {
        scanner.SkipTo(next);
        --index;
        continue;
      }
    }
    if (!prefix.empty() && ReadFastLine(text, scanner.Pos(), prefix, prefixConverts, fast)) {
      scanner.SkipTo(fast.next);
      if (!prefixConverts) continue;
      bool regular = false;
      const std::string_view key = FastKey(fast, regular);
      // These tickers already have a line in this piece: straight to their bytes.
      for (int m : prefixTickers)
        AppendLine(lines_[static_cast<std::size_t>(m)], heads_[static_cast<std::size_t>(m)], key, fast.prices,
                   regular);
      continue;
    }
    if (!scanner.Next(line)) break;
    prefix = {};
    prefixConverts = false;
    std::string_view dateField;
    if (fastAllowed && line.plain && line.commaCount >= 2) {
      dateField = line.text.substr(line.commas[0] + 1, line.commas[1] - line.commas[0] - 1);
      if (!IsSafeField(dateField)) dateField = {};
    }
    const std::vector<int>& matches = matcher_.Match(line);
    if (matches.empty()) {
      if (!dateField.empty()) {
        prefix = line.text.substr(0, line.commas[1] + 1);
        prefixConverts = false;
      }
      continue;
    }
    const ConvertedLine converted = converter_.Convert(line);
    for (int m : matches) Add(m, converted.key, converted.prices, converted.regular, index);
    if (!dateField.empty() && converter_.KeyedDateField() == dateField) {
      prefix = line.text.substr(0, line.commas[1] + 1);
      prefixConverts = true;
      prefixTickers = matches;
    }
  }
}

}  // namespace arl
