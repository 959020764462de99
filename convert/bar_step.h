#pragma once
// Whether a year's bar files are in step with the 1-minute files they are made from, checked by
// each run for every year, so that a timeframe ticked again after minutes came while it was unticked
// (in any year, also one finished meanwhile) is brought up to date. A run that changes a 1-minute
// file with a timeframe ticked writes that timeframe's bar files after it; so only a bar file written
// before one of its 1-minute files last changed is read back, and it is behind when its last bar is
// not that of the year's last minute. Files that cannot be read raise EInOutError.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "convert/minute_line.h"
#include "support/home_layout.h"

namespace arl {

// The day from which the ticked timeframes' bar files of the ticker's `year` are to be made again:
// the year's first day when one is missing or cannot be read back, the day of the year's last minute
// when a file's last bar is not that minute's; nothing when they are in step, or when the minutes
// cannot be read (their fault is told when they change). `reader` gives a reader of the ticker's
// lines, asked for only when a file is to be read back.
std::optional<std::int64_t> BarsBehindFrom(const Paths& paths, const RunOptions& o, const std::string& ticker,
                                           int year, const std::function<MinuteLineReader&()>& reader);

}  // namespace arl
