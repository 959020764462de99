#include "convert/bar_fault.h"

namespace arl {

namespace {

std::string_view ReasonOf(LineFault kind) {
  switch (kind) {
    case LineFault::Ticker:
      return "通貨名の列が違います";
    case LineFault::Date:
      return "日付が読めません";
    case LineFault::Time:
      return "時刻が時刻の書式に合いません";
    case LineFault::FieldCount:
      return "項目の数が違います";
    case LineFault::Price:
      return "価格が数値ではありません";
    case LineFault::Order:
      return "時刻が前の行より前です";
    case LineFault::TooLong:
      return "行が長すぎます";
    case LineFault::Torn:
      return "最後の行が改行で終わっていません。書き込みが途中で切れています";
    default:
      return "";
  }
}

}  // namespace

std::string BarFault::Message() const {
  if (kind == LineFault::TimeFormat)
    return "時刻の書式 \"" + timeFormat + "\" からは時と分を読み戻せないので、足を作れません";
  const std::string where = fileStart > 0 ? std::to_string(fileStart) + " バイト目から数えて " : "";
  return file + " の " + where + std::to_string(line) + " 行目が読めないので、足を作れません (" +
         std::string(ReasonOf(kind)) + ")\r\n" + text;
}

std::string BarFormatProblem(const RunOptions& options) {
  if (MinuteLineReader(options, "").Readable()) return "";
  BarFault fault;
  fault.kind = LineFault::TimeFormat;
  fault.timeFormat = options.timeFormat;
  return fault.Message();
}

}  // namespace arl
