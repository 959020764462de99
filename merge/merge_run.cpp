#include "merge/merge_run.h"

#include "merge/merge_texts.h"

namespace arl {

MergeRun::MergeRun(Session& session, const CopyTuning& copyTuning)
    : s(session),
      tuning(copyTuning),
      pacer(session, tuning),
      copier_(tuning.blockBytes, pacer,
              [this](std::string_view line) { s.SetStatus(merge_text::StatusLine(ticker, line)); }) {}

bool MergeRun::Copy(const std::string& source, std::int64_t offset, MergeWriter& out) {
  return copier_.Run(source, offset, out);
}

}  // namespace arl
