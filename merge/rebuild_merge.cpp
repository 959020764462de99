// Writing one currency's merge file from scratch: every year file with a first line, in name order.
#include "merge/merge_files.h"
#include "merge/merge_run.h"
#include "merge/merge_texts.h"
#include "merge/year_list.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/ticker_name.h"

namespace arl {

bool RebuildMergeFile(MergeRun& run, const std::string& ticker) {
  Session& s = run.s;
  const std::string label = run.Label(ticker);
  s.AddLog(merge_text::RebuildStart(label));

  const CurrencyLayout layout(s, ticker, run.frame);
  const std::vector<YearFileName> files = ListYearFiles(layout);
  const std::string mergePath = layout.mergePath;
  if (FileExists(mergePath)) {
    DeleteFile(mergePath);
  }
  MergeWriter out(mergePath, MergeWriter::Mode::Create);

  // A cancel keeps the whole lines written so far in place: the next merge goes on from them.
  for (const auto& file : files) {
    s.SetStatus(merge_text::StatusYear(label, std::to_string(StrToInt(file.year))));
    if (!s.GoOn()) {
      out.Close();
      return false;
    }
    const std::string path = layout.currencyDir + file.name;
    {
      TextReader reader(path);
      std::string_view first;
      // A year file whose first line is empty is left out whole.
      if (!reader.ReadLine(first) || first.empty()) continue;
    }
    if (!run.Copy(path, 0, out)) {
      out.Close();
      return false;
    }
  }
  out.Close();
  s.outcome.MergeFileWritten(label);
  s.AddLog(merge_text::RebuildDone(label));
  return true;
}

void RebuildMerge(Session& s, const std::string& ticker) { RebuildMerge(s, ticker, CopyTuning{}); }

void RebuildMerge(Session& s, const std::string& ticker, const CopyTuning& tuning) {
  if (!IsSafeTicker(ticker)) {
    s.AddLog(UnsafeTickerMessage(ticker));
    return;
  }
  MergeRun run(s, tuning);
  run.ticker = ticker;
  RebuildMergeFile(run, ticker);
}

}  // namespace arl
