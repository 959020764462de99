#pragma once
// The bar files of the higher timeframes ticked in the options, kept in step with the 1-minute year
// files. A bar file "<frame>_<year>.txt" holds the bars that start in its year; they are made from
// the 1-minute files of that year and of the years on either side (the hour shift moves the first or
// last hours of an archive year into the next or the year before).
//
// A conversion call that changed a ticker's 1-minute file of a year from some day on has the bars
// made again from that day: each bar file is cut at its first line of that day and the new bars are
// appended (a file made whole is written beside and renamed into place). A bar file whose last line
// is older than that day is made again from its last day, and one that is missing or cannot be read
// back is made whole, so that a run killed half-way is mended by the next one. The call runs before
// the year gets its marker: a killed run visits the year again.
//
// A 1-minute line that cannot be read (or a time format that cannot be read back) stops the bars of
// that ticker: the fault is logged and counted, and the ticker's bar files of the year are deleted so
// that a later run makes them whole. I/O failures raise EInOutError (EDiskFull for a full disk).
#include <cstdint>
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {

// After the 1-minute year files of `year` of `tickers` changed from the day `fromDay` on (days since
// 1899-12-30, in the files' own shifted dates). False when the run was cancelled meanwhile.
bool UpdateBarsAfterConversion(Session& s, const LineList& tickers, int year, std::int64_t fromDay);

// The first day a conversion of the day files `dayFiles` (yymmdd.txt of `year`) can change: the
// earliest day file's date moved by the hour shift.
std::int64_t FirstChangedDay(const LineList& dayFiles, int year, int shiftHours);

// Makes the ticked timeframes' bar files that are missing for the 1-minute year files on disk (a
// timeframe ticked for the first time, a file deleted by hand), and makes again from its last bar
// one whose last bar is not that of its year's last minute (a timeframe ticked again after minutes
// came while it was unticked, in any year).
void FillMissingBarFiles(Session& s);

}  // namespace arl
