#pragma once
// The merge's own log, status and message-box texts, in one place so that tests read the same ones.
#include <string>
#include <string_view>

namespace arl::merge_text {

inline constexpr char kStatusStart[] = "マージファイルを作成しています";
inline constexpr char kLogStart[] = "全ての年を結合するMerge.txtを作成します";
inline constexpr char kLogDone[] = "全てのMerge.txtの作成完了";
// The same for the bar files of a timeframe (LogDone: frame "" for the 1-minute files).
inline std::string LogStart(std::string_view frame) {
  return "全ての年を結合する" + std::string(frame) + "_Merge.txtを作成します";
}
inline std::string LogDone(std::string_view frame) {
  return frame.empty() ? kLogDone : "全ての" + std::string(frame) + "_Merge.txtの作成完了";
}

inline std::string StatusYear(std::string_view ticker, std::string_view year) {
  return "最終マージファイル作成 : " + std::string(ticker) + " " + std::string(year) + " を処理中...";
}
inline std::string StatusLine(std::string_view ticker, std::string_view line) {
  return "最終マージファイル作成 : " + std::string(ticker) + " " + std::string(line) + " を追記中...";
}
inline std::string NothingNew(std::string_view ticker) {
  return std::string(ticker) + " に新しく追記する行はありません";
}
inline std::string AppendAfter(std::string_view ticker, std::string_view line) {
  return std::string(ticker) + "\r\n" + std::string(line) + "以降の行を追記します";
}
inline std::string RebuildStart(std::string_view ticker) {
  return std::string(ticker) + " のMerge.txtを新規に作成します";
}
inline std::string RebuildDone(std::string_view ticker) {
  return std::string(ticker) + "のMerge.txtの作成OK";
}
inline std::string NoYearFiles(std::string_view ticker) {
  return std::string(ticker) + " の年ファイルがないので、この通貨のMerge.txtは作りません";
}
// The technical reason of a failed merge, logged after the advice.
inline std::string Reason(std::string_view what) { return "(エラーの内容: " + std::string(what) + ")"; }
// The failure's line in the run's summary.
inline std::string FailureLine(std::string_view ticker, std::string_view what) {
  return std::string(ticker) + " のMerge.txtの作成に失敗しました。以降の通貨のマージは行っていません (" +
         std::string(what) + ")";
}
inline std::string Failure(std::string_view ticker) {
  return std::string(ticker) +
         " Merge.txtの追記作成に失敗しました。\r\n"
         "再度実行してみてください\r\n"
         "※ 数回実行し直しても問題が解決しない場合は\r\n"
         "OriginalArchiveフォルダとHistoricalDataフォルダを削除してから\r\n"
         "再度実行してください";
}

}  // namespace arl::merge_text
