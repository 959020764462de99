#pragma once
// YearOutput: the new content of one currency year file while a conversion call runs. The content
// is the kept start of the old file followed by new lines; new lines are staged in a side file
// ("<year file>.part"; a few days' worth stay in memory instead) and the last day's worth of lines
// (the overlap window) stays in memory, so
// memory does not grow with the year. Nothing touches the year file until Commit(): a cancelled or
// failed call calls Discard() (or just lets it go) and the old file stays as it was.
// Commit() renames a fully rebuilt file into place; when the call only adds to the tail, it cuts the
// old file at the kept length and appends (allowed only while the year has no marker, because a
// kill half-way leaves a file whose end the next cross-check has to look at again).
// I/O failures raise EInOutError.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/overlap_search.h"

namespace arl {

class YearOutput {
 public:
  static constexpr std::size_t kWindowLines = 1441;  // the overlap search of later day files
  static constexpr std::int64_t kMemoryStage = 512 << 10;  // staged bytes kept in memory at most

  YearOutput(std::string path, YearLineShape shape, bool tailAppendAllowed);
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
  // Appends the line head + key + "," + prices + CR LF.
  void Append(std::string_view head, std::string_view key, std::string_view prices);
  // Writes what is pending to the side file and trims the window.
  void Flush();
  void Commit();
  void Discard();

 private:
  std::int64_t ContentEnd() const { return tailStart_ + static_cast<std::int64_t>(tail_.size()); }
  std::size_t ReadContent(std::int64_t offset, std::size_t length, char* out);
  void FillWindow();
  void OpenStage();
  void CloseAll();
  void WriteStaged(int fd, std::int64_t at, const std::string& path);
  void TruncateStage(std::int64_t length);

  std::string path_, stagePath_;
  YearLineShape shape_;
  bool tailAppendAllowed_;
  int oldFd_ = -1, stageFd_ = -1;
  std::int64_t oldSize_ = 0;
  std::int64_t keep_ = 0;      // bytes of the old file kept
  std::int64_t staged_ = 0;    // bytes staged, following the kept bytes
  std::string memStage_;       // the staged bytes while they are few and no side file exists
  std::int64_t written_ = 0;   // content offset up to which the content is on disk
  std::string tail_;           // content from tailStart_ to the end
  std::int64_t tailStart_ = 0;
  std::vector<std::size_t> starts_;  // line starts in tail_
  bool done_ = false;
};

}  // namespace arl
