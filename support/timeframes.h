#pragma once
// The timeframes of the derived bar files, in one place: their names as the settings and the folder
// names spell them, their lengths in minutes, and the reading of a settings text such as
// "5min,1day". Each length is a whole multiple of the one before it and divides a day, so every bar
// starts at midnight or at a multiple of its length after it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace arl {

enum class Timeframe : std::uint8_t { k5min, k15min, k30min, k1hour, k4hour, k1day };

inline constexpr int kTimeframeCount = 6;

struct TimeframeInfo {
  Timeframe frame;
  std::string_view name;
  int minutes;
};

// Every timeframe, shortest first: the order of every list of timeframes.
inline constexpr std::array<TimeframeInfo, kTimeframeCount> kTimeframes = {{
    {Timeframe::k5min, "5min", 5},
    {Timeframe::k15min, "15min", 15},
    {Timeframe::k30min, "30min", 30},
    {Timeframe::k1hour, "1hour", 60},
    {Timeframe::k4hour, "4hour", 240},
    {Timeframe::k1day, "1day", 1440},
}};

inline constexpr std::size_t IndexOf(Timeframe frame) { return static_cast<std::size_t>(frame); }
inline constexpr std::string_view NameOf(Timeframe frame) { return kTimeframes[IndexOf(frame)].name; }
inline constexpr int MinutesOf(Timeframe frame) { return kTimeframes[IndexOf(frame)].minutes; }

// A set of timeframes.
class TimeframeSet {
 public:
  static TimeframeSet All() {
    TimeframeSet all;
    all.bits_ = (1u << kTimeframeCount) - 1;
    return all;
  }
  bool Has(Timeframe frame) const { return (bits_ >> IndexOf(frame) & 1u) != 0; }
  void Add(Timeframe frame) { bits_ |= 1u << IndexOf(frame); }
  bool Empty() const { return bits_ == 0; }
  friend bool operator==(TimeframeSet, TimeframeSet) = default;

 private:
  unsigned bits_ = 0;
};

struct TimeframeChoice {
  TimeframeSet frames;
  std::vector<std::string>
      unknown;  // words that name no timeframe, once each, without the blanks around them
};

// Reads a comma list of timeframe names. Blanks around a name and letter case do not matter; empty
// pieces and repeated names are ignored.
TimeframeChoice ParseTimeframes(std::string_view text);

// Whether a file name starts like a bar file, "<frame>_" of any timeframe.
bool IsBarFileName(std::string_view name);

// The settings text of a set: its names joined by commas, shortest first ("" for none).
std::string TimeframesText(TimeframeSet frames);

}  // namespace arl
