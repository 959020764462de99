#pragma once
#include <string>

#include "merge/copy_tuning.h"
#include "run/session.h"

namespace arl {
// Brings every currency's all-years merge file up to date; handles all its errors itself.
void MergeAll(Session& s);
void RebuildMerge(Session& s, const std::string& ticker);

// The same with the copy's block size and clock chosen by the caller (tests, benchmarks).
void MergeAll(Session& s, const CopyTuning& tuning);
void RebuildMerge(Session& s, const std::string& ticker, const CopyTuning& tuning);
}  // namespace arl
