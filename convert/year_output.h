#pragma once
// YearOutput: the new content of one currency year file while a conversion call runs. The content
// is the kept start of the old file followed by new lines; new lines are staged in a side file
// ("<year file>.part"; a few days' worth stay in memory instead) and the last day's worth of lines
// (the overlap window) stays in memory, so memory does not grow with the year. Lines whose only
// date separators are the two inside their date ("regular" lines) let the window search compare at
// line starts instead of searching every byte. Nothing touches the year file until Commit(): a cancelled or
// failed call calls Discard() (or just lets it go) and the old file stays as it was.
// Commit() renames a fully rebuilt file into place, durably (the file's data flushed before the
// rename, the folder after it, so a power loss leaves the old file or the new one, never an empty
// one); when the call only adds to the tail, it cuts the old file at the kept length, appends and
// flushes (allowed only while the year has no marker, because a kill half-way leaves a file whose
// end the next cross-check has to look at again).
// I/O failures raise EInOutError.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/byte_buffer.h"
#include "convert/overlap_search.h"
#include "support/unique_fd.h"

namespace arl {

class YearOutput {
 public:
  static constexpr std::size_t kWindowLines = 1441;        // the overlap search of later day files
  static constexpr std::int64_t kMemoryStage = 512 << 10;  // new bytes kept in memory before a side file
  // Written bytes in front of the window are dropped once they are this many. The buffers of all
  // tickers are touched in full, and fresh memory costs more than moving the window now and then;
  // on machines short of memory it costs much more, so they are kept small.
  static constexpr std::size_t kCompactAt = 64 << 10;
  // New bytes go to the side file once this many are pending: the kernel takes larger writes at a
  // lower cost per byte than the few KiB a ticker adds per piece of a day file.
  static constexpr std::int64_t kMinWrite = 64 << 10;
  // Writes end at multiples of this in the side file: the kernel then fills its pages whole and
  // in large blocks, at a lower cost per byte than writes that start and end anywhere.
  static constexpr std::int64_t kWriteAlign = 32 << 10;

  // `manyDays`: the call converts many day files, so new lines go to the side file from the start
  // instead of first filling memory.
  // `memory` (optional, kept by the caller for the object's life) holds the in-memory lines while
  // it is big enough; BufferBytes() tells how much is worth giving.
  // `earlyFirstWrite`: the first write to the side file comes after half of kMinWrite; giving it to
  // every other output spreads the writes of outputs that grow alike over the day files evenly.
  YearOutput(std::string path, YearLineShape shape, bool tailAppendAllowed, bool manyDays = false,
             char* memory = nullptr, bool earlyFirstWrite = false);
  // Many days: what is written between two compactions, what waits for an aligned write, a day's
  // worth of lines for the window and a piece's worth of new lines.
  static std::size_t BufferBytes(bool manyDays) {
    return manyDays ? kCompactAt + kMinWrite + kWriteAlign + (128 << 10) : kMemoryStage + (256 << 10);
  }
  ~YearOutput();
  YearOutput(const YearOutput&) = delete;
  YearOutput& operator=(const YearOutput&) = delete;
  YearOutput(YearOutput&&) = delete;

  // The first search of a call: the whole current content (the old file, nothing added yet).
  std::optional<OverlapHit> FindInWhole(std::string_view key);
  // Later searches: the last kWindowLines lines of the current content.
  std::optional<OverlapHit> FindInWindow(std::string_view key);
  // Drops every line from the one starting at `offset` on.
  void CutAt(std::int64_t offset);
  // Appends whole lines (head + key + "," + prices + CR LF each): `starts` are where they start in
  // `bytes`, `irregularEnd` is the end of the last line that is not regular (0 when all are); a line
  // is regular when the date separator occurs in its key and prices only inside the key's date.
  void AppendLines(std::string_view bytes, const std::vector<std::size_t>& starts, std::size_t irregularEnd);
  // Lends the content's bytes and line starts from tailStart() on (swapped with `bytes` and
  // `starts`), so that whole lines are appended to them in place; nothing else may be called until
  // TakeBack() swaps them back. `irregularEnd` is then the end of the last line appended that is not
  // regular, counted in the lent bytes (0 when all are).
  void Lend(ByteBuffer& bytes, std::vector<std::size_t>& starts);
  void TakeBack(ByteBuffer& bytes, std::vector<std::size_t>& starts, std::size_t irregularEnd);
  // Writes what is pending to the side file once it is kMinWrite or more, and trims the window.
  void Flush();
  // Puts the new content in place; true when the year file changed (written, cut or deleted).
  bool Commit();
  // After Commit(): the offset of the first line that changed, or nothing when none did.
  std::optional<std::int64_t> ChangedFrom() const { return changedFrom_; }
  void Discard();

 private:
  std::int64_t ContentEnd() const { return tailStart_ + static_cast<std::int64_t>(tail_.size()); }
  std::size_t ReadContent(std::int64_t offset, std::size_t length, char* out);
  void FillWindow();
  std::optional<OverlapHit> HitAt(std::size_t from) const;
  std::uint64_t LineProbe(const char* line, std::size_t length) const;  // length without the line end
  void ProbeNewLines();
  bool WindowIsRegular(std::size_t firstLine, std::string_view key) const;
  void OpenStage();
  void CloseAll();
  void WriteStaged(int fd, std::int64_t at, const std::string& path);
  void WriteUnstaged(int fd, std::int64_t at, const std::string& path);
  void TruncateStage(std::int64_t length);
  std::int64_t UnchangedLines();

  std::string path_, stagePath_;
  YearLineShape shape_;
  bool tailAppendAllowed_;
  std::int64_t firstWrite_;  // pending bytes that make the first write to the side file
  std::int64_t memoryStage_;
  UniqueFd oldFd_, stageFd_;
  std::int64_t oldSize_ = 0;
  std::int64_t keep_ = 0;          // bytes of the old file kept
  std::int64_t staged_ = 0;        // bytes in the side file, following the kept bytes
  std::int64_t written_ = 0;       // content offset up to which the content is on disk (keep_ + staged_)
  std::int64_t irregularEnd_ = 0;  // no line ending after this offset breaks the regular shape
  bool headRegular_ = false;
  ByteBuffer tail_;  // content from tailStart_ to the end
  std::int64_t tailStart_ = 0;
  std::vector<std::size_t> starts_;    // line starts in tail_
  std::vector<std::uint64_t> probes_;  // for each line, its first key bytes folded (see LineProbe)
  bool done_ = false;
  std::optional<std::int64_t> changedFrom_;
};

}  // namespace arl
