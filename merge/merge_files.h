#pragma once
#include <string>

#include "run/session.h"

namespace arl {
// Brings every currency's all-years merge file up to date; handles all its errors itself.
void MergeAll(Session& s);
void RebuildMerge(Session& s, const std::string& ticker);
}  // namespace arl
