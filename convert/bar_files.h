#pragma once
// The 1-minute year files read for bars: a file fed to a BarMaker in big reads from a given line on,
// and the place of a day's first line in a time-ordered file of the same line shape (a 1-minute year
// file, or a bar file when it is to be cut back for a recompute). Files that cannot be opened or read
// raise EInOutError.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "convert/bar_maker.h"

namespace arl {

// Feeds the file at `path` to the maker from its first line starting at or after `from` to its end,
// or until the maker is done or has failed, each byte read once; the fault names the file `name`.
// Lines are found from an offset by their LF, as the program's CR LF ends them.
BarMaker::State FeedBarFile(BarMaker& maker, const std::string& path, const std::string& name,
                            std::int64_t from = 0);

// The offset of the first line of `path` dated `day` or later, its size when there is none. Lines
// are found by their date alone, with a few small reads halving the file, then line by line; a line
// whose date cannot be read counts as later, so that feeding from there reports it.
std::int64_t FirstLineOfDay(const std::string& path, MinuteLineReader& reader, std::int64_t day);

inline constexpr std::int64_t kNoLine = std::numeric_limits<std::int64_t>::min();

// The time (ms since 1899-12-30) of the last line of `path` dated before `day`: kNoLine when none
// is, nothing when that line cannot be read or the file's last line has no line end. Mostly the
// file's last line, read from its end; otherwise the line before FirstLineOfDay.
std::optional<std::int64_t> LastTimeBefore(const std::string& path, MinuteLineReader& reader,
                                           std::int64_t day);

// Files are read from a mapping of them where this many bytes or more are to be fed.
inline constexpr std::int64_t kMapAtLeast = 4 << 20;

// The bars of the maker's window from the year files given in year order (missing ones left out):
// each is read once, from its first line of the window's first day, until the window ends. Finishes
// the maker; false when it failed (see its Fault()). `mapAtLeast`: see kMapAtLeast.
bool MakeBarsFromFiles(BarMaker& maker, const std::vector<std::string>& paths,
                       std::int64_t mapAtLeast = kMapAtLeast);

}  // namespace arl
