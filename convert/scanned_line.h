#pragma once
// ScannedLine: one pass over a day-file line that finds its end, the places of its first commas
// and whether the plain comma split and the first-field ticker lookup are exact for it. The hot loop
// of the conversion looks at every byte of a year's day files once, here.
#include <cstdint>
#include <string_view>

namespace arl {

struct ScannedLine {
  static constexpr int kMaxCommas = 8;
  std::string_view text;                  // without its line end
  std::uint32_t commas[kMaxCommas] = {};  // offsets of the first commas
  int commaCount = 0;                     // up to kMaxCommas
  bool plain = false;     // no byte of 32 or less and no double quote: fields are the comma pieces
  bool restSafe = false;  // from the first comma on only digits, '.', ',', '-', '+', blanks
};

// Scans the line starting at text[pos]; moves pos behind its line end (CR LF, LF or CR).
// False when no line is left.
bool ScanNextLine(std::string_view text, std::size_t& pos, ScannedLine& line);

// Scans the lines of a text one after the other. A line that begins with the first two fields of
// the line before it (as nearly every line of a day file does) is scanned from behind them.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}
  bool Next(ScannedLine& line);
  // Where the next line starts; moving it on skips lines read elsewhere.
  std::size_t Pos() const { return pos_; }
  void SkipTo(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::string_view prefix_;  // the first two fields of the line before, with their commas
  std::uint32_t firstComma_ = 0;
};

}  // namespace arl
