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
// back is made whole. A note written before the first 1-minute file changes names the call's first
// day until the bars are made, so that a run killed half-way is mended by the next one; the call
// also runs before the year gets its marker, so a killed run visits the year again.
//
// A 1-minute line that cannot be read (or a time format that cannot be read back) stops the bars of
// that ticker: the fault is logged and counted, and the ticker's bar files of the year are deleted so
// that a later run makes them whole. I/O failures raise EInOutError (EDiskFull for a full disk).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/session.h"
#include "support/text.h"

namespace arl {

// A ticker's 1-minute year file after a conversion call: the offset of its first changed line, or
// nothing when the call left the file as it was.
struct MinuteFileChange {
  std::string ticker;
  std::optional<std::int64_t> from;
};

// Before a conversion call of `year` changes its first 1-minute file, when bars are wanted: notes
// the first day the call's day files `dayFiles` can change (see bar_pending.h).
void NoteBarsToFollow(Session& s, const LineList& dayFiles, int year);

class BarThreads;

// The bars of a conversion call of `year`, made while the call commits its 1-minute files (see
// bar_threads.h): for the call's tickers (each once, in commit order) after NoteBarsToFollow, each
// once its file is committed. Finish() is UpdateBarsAfterConversion's end: it waits for them,
// deletes the note and tells the same. Nothing is made when bars are not wanted.
class BarsAfterCommits {
 public:
  BarsAfterCommits(Session& s, const LineList& tickers, int year, std::optional<std::int64_t> pending);
  ~BarsAfterCommits();
  BarsAfterCommits(const BarsAfterCommits&) = delete;
  BarsAfterCommits& operator=(const BarsAfterCommits&) = delete;

  // After the note, before the first commit; Finish() only after it.
  void Start();
  // The ticker at `index` of the list is committed; its file changed from offset `from`, if at all.
  void Committed(std::size_t index, std::optional<std::int64_t> from);
  bool Finish();

 private:
  Session& s_;
  LineList tickers_;
  int year_;
  std::optional<std::int64_t> pending_;
  std::unique_ptr<BarThreads> threads_;
};

// After a conversion call of `year` (its changes in ticker order): the bars of each changed file
// from the day of its first changed line on, and of every file from `pending`, the day an earlier
// call noted before it was killed (PendingBarsFrom before the call). Deletes the note. False when
// the run was cancelled meanwhile.
bool UpdateBarsAfterConversion(Session& s, const std::vector<MinuteFileChange>& changes, int year,
                               std::optional<std::int64_t> pending);

// The first day a conversion of the day files `dayFiles` (yymmdd.txt of `year`) can change: the
// earliest day file's date moved by the hour shift.
std::int64_t FirstChangedDay(const LineList& dayFiles, int year, int shiftHours);

// Makes the ticked timeframes' bar files that are missing for the 1-minute year files on disk (a
// timeframe ticked for the first time, a file deleted by hand), and makes again from its last bar
// one whose last bar is not that of its year's last minute (a timeframe ticked again after minutes
// came while it was unticked, in any year).
void FillMissingBarFiles(Session& s);

}  // namespace arl
