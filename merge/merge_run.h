#pragma once
// MergeRun: what the two merge operations share while one merge goes on: the session, the pacing
// of the copy, and the ticker in hand that the failure message names.
#include <cstdint>
#include <string>

#include "merge/block_copy.h"
#include "merge/copy_tuning.h"
#include "merge/merge_writer.h"
#include "merge/pacer.h"
#include "run/session.h"

namespace arl {

struct MergeRun {
  MergeRun(Session& session, const CopyTuning& copyTuning);
  MergeRun(const MergeRun&) = delete;
  MergeRun& operator=(const MergeRun&) = delete;

  // Appends `source` from `offset` to its end onto `out`, showing the lines written in the status
  // bar. Returns false when the run was cancelled (the merge file then ends in a whole line).
  bool Copy(const std::string& source, std::int64_t offset, MergeWriter& out);

  // How the log names a ticker's merge: the ticker, and the timeframe for a bar merge.
  std::string Label(const std::string& name) const { return frame.empty() ? name : name + " " + frame; }

  Session& s;
  CopyTuning tuning;
  Pacer pacer;
  std::string ticker;  // its label while it is merged
  std::string frame;   // "" while the 1-minute files are merged, else the timeframe

 private:
  BlockCopy copier_;
};

// Writes the ticker's merge file afresh from all its year files. Returns false when cancelled (the
// closing message is then left out). Errors travel to the caller.
bool RebuildMergeFile(MergeRun& run, const std::string& ticker);

}  // namespace arl
