#pragma once
// BarFileOutput: one bar file of a year while a ticker's bars are made, and the sink of its
// timeframe. It is opened once: its last bytes, read then, tell the day of its last bar and, mostly,
// where the bars of a recent day start. The bars are then either written whole beside the file
// ("<path>.tmp", which the caller flushes and renames into place, so that a power loss leaves the
// old file or the new one) or appended where the file was cut at its first bar of the day they are
// made from. A kill between the cut and the last write leaves a file that ends early or in a torn
// line; it reads back as behind and the next visit makes it again. Bars pass through a buffer of
// kBuffer bytes, so memory does not grow with the year; writes that large cost the kernel less per
// byte than smaller ones, as it takes them in large pages.
// I/O failures raise EInOutError (EDiskFull for a full disk).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "convert/bar_ladder.h"
#include "convert/minute_line.h"
#include "support/unique_fd.h"

namespace arl {

// How a file is cut for a new tail. A file that a killed call may have left with old and new bytes
// mixed is cut where a search from its start says, not from its end, which may read a spliced line.
// A file whose call noted a day no later than the cut (see bar_pending.h) is written over in place
// and cut short only after, if at all: a kill in between is mended from the note.
struct TailCut {
  bool searchFromStart = false;
  bool overwrite = false;
};

class BarFileOutput : public BarSink {
 public:
  static constexpr std::size_t kBuffer = 1 << 20;
  static constexpr std::size_t kTailBuffer = 64 << 10;  // a tail's bars mostly fit; it grows if not
  static constexpr std::size_t kLineRoom = 4 << 10;     // the lines are written before one may not fit
  // The bytes read from the end of a file of bars of `minutes`: two days of bars and more, so that a
  // daily run finds its cut in them.
  static constexpr std::size_t TailBytes(int minutes) {
    return 1024 + static_cast<std::size_t>(2 * 1440 / minutes) * 64;
  }

  // Opens the file and reads up to `tailBytes` from its end.
  BarFileOutput(std::string path, std::size_t tailBytes);
  ~BarFileOutput() override;
  BarFileOutput(const BarFileOutput&) = delete;
  BarFileOutput& operator=(const BarFileOutput&) = delete;

  // The day of the file's last bar; nothing when the file is missing, empty, ends in a torn line or
  // its last line cannot be read.
  std::optional<std::int64_t> LastDay(MinuteLineReader& reader) const;
  // The bars to come make the file whole.
  void StartWhole();
  // The bars to come replace the file's lines from its first one dated `day` or later. Only after
  // LastDay() read a day.
  void StartTail(MinuteLineReader& reader, std::int64_t day, TailCut how = {});
  void Took(int year, std::string_view line) override;
  // Writes the rest. A whole file with bars waits as "<path>.tmp" (true); one without is not made,
  // and the old file is deleted: a year without minutes has no bar file.
  bool Finish();
  // After a fault: deletes the file and what was written beside it; a later run makes it whole.
  void Abandon();
  const std::string& Path() const { return path_; }

 private:
  void Write();
  [[noreturn]] void Fail(const std::string& what, const std::string& path) const;

  std::string path_;
  UniqueFd fd_;            // the file; for a whole one, "<path>.tmp" once it is written to
  std::int64_t size_ = 0;  // of the file when it was opened
  std::string tail_;       // its last bytes
  bool whole_ = false;
  bool cutAfter_ = false;  // written over in place: cut at the end of the new bytes when shorter
  std::int64_t at_ = 0;    // where the lines go
};

}  // namespace arl
