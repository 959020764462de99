#pragma once
// The note that a conversion call is changing 1-minute year files whose bars are still to follow:
// "bars.arlm" in the archive year's folder holds the first day (yyyy-mm-dd) of those changes. It is
// put in place durably before the call changes its first 1-minute file and deleted once the bars
// are made, so that a run killed in between, whose 1-minute files already read as up to date, makes
// the bars again from that day at its next visit of the year. A note that cannot be read counts as
// the year's first day. Writing or deleting it raises EInOutError (EDiskFull for a full disk).
#include <cstdint>
#include <optional>
#include <string_view>

#include "support/home_layout.h"

namespace arl {

// The day noted for the archive year `year`; nothing without a note.
std::optional<std::int64_t> PendingBarsFrom(const Paths& paths, int year);
// Notes `day` (days since 1899-12-30) unless an earlier day is noted already.
void NoteBarsPending(const Paths& paths, int year, std::int64_t day);
void ClearBarsPending(const Paths& paths, int year);

}  // namespace arl
