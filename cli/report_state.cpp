// The state of a report row, the same words and sentences in every format.
#include <string>

#include "cli/report_model.h"

namespace arl {

namespace {

void Add(RowState& state, const char* status, const std::string& note, bool problem = true) {
  if (state.note.empty()) {
    state.status = status;
  } else {
    state.note += "; ";
  }
  state.note += note;
  state.problem = state.problem || problem;
}

}  // namespace

RowState StateOf(const YearFileCount& count, const std::string& timeProblem) {
  RowState state;
  if (!count.present) {
    Add(state, "missing", "年ファイルがありません", false);
    return state;
  }
  if (!count.readError.empty()) Add(state, "unreadable", count.readError);
  if (count.bytes == 0 && count.readError.empty()) Add(state, "empty", "0 バイトの空のファイルです");
  if (count.tornBytes > 0)
    Add(state, "torn",
        "最後の行が CR LF で終わっていません (末尾の " + std::to_string(count.tornBytes) +
            " バイトは数えていません。実行中の追記かもしれません)");
  if (count.badLines > 0)
    Add(state, "bad-lines",
        "日付か時刻を読めない行が " + std::to_string(count.badLines) + " 行あります (最初は " +
            std::to_string(count.firstBadLine) + " 行目)");
  if (!timeProblem.empty() && count.lines > 0)
    Add(state, "time-format", timeProblem + "。最初と最後の時刻は出せません");
  return state;
}

bool ReportModel::Problems() const {
  for (const RowState& state : states)
    if (state.problem) return true;
  return false;
}

}  // namespace arl
