#include "support/run_options.h"

#include <climits>
#include <string_view>

#include "support/text.h"

namespace arl {

namespace {

constexpr char kUrlLabel[] = "Rateloom 分足 Top Page URL";

[[noreturn]] void Refuse(const char* label, const char* key, const std::string& what) {
  throw EOptionError(std::string("「") + label + "」(" + key + ") " + what);
}

// A whole number in [low, high]; the blanks a user may type around it do not count.
int WholeNumber(const std::string& text, int low, int high, const char* label, const char* key) {
  const std::string range =
      (high == INT_MAX ? std::to_string(low) + " 以上"
                       : std::to_string(low) + " から " + std::to_string(high) + " まで") +
      "の整数を指定してください";
  const std::string quoted = "の値 \"" + text + "\" は";
  int value = 0;
  try {
    value = StrToInt(TrimBlanks(text));
  } catch (const EConvertError&) {
    Refuse(label, key, quoted + "整数ではありません。" + range);
  }
  if (value < low || value > high) Refuse(label, key, quoted + "範囲外です。" + range);
  return value;
}

}  // namespace

RunOptions ParseRunOptions(const OptionValues& v) {
  RunOptions o;
  o.indexUrl = std::string(TrimBlanks(v.EditURL));
  if (o.indexUrl.empty())
    Refuse(kUrlLabel, "EditURL", "が空です。インデックスページのアドレスを指定してください");
  o.shiftHours = WholeNumber(v.EditGmtGap, -23, 23, option_label::kGmtGap, "EditGmtGap");
  o.retryLimit = WholeNumber(v.EditRetryLimit, 1, INT_MAX, option_label::kRetryLimit, "EditRetryLimit");
  o.timeFormat = v.EditLongTimeFormat;
  if (TrimBlanks(o.timeFormat).empty())
    Refuse(option_label::kTimeFormat, "EditLongTimeFormat", "が空です。hh:nn:ss のように指定してください");
  o.prefix = v.EditFileHeadName;
  // The prefix becomes part of a file name: a "/" would put the files into another folder.
  if (o.prefix.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
    Refuse(option_label::kFileHeadName, "EditFileHeadName", "の値 \"" + o.prefix + "\" に / は使えません");
  o.keepTicker = v.RadioGroup1 == 0;
  o.dateSeparator = v.RadioGroup2 == 0 ? '/' : '-';
  o.subFolder = v.RadioGroup3 == 1;
  o.merge = v.CheckBox1;
  TimeframeChoice frames = ParseTimeframes(v.Timeframes);
  o.timeframes = frames.frames;
  o.unknownTimeframes = std::move(frames.unknown);
  return o;
}

}  // namespace arl
