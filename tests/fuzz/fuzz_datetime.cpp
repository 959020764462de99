// Fuzzes the date and time parser and printer: parsing either succeeds or raises the conversion
// error, and a parsed value printed with the same formats parses back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/datetime.h"
#include "support/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  arl::FormatSettings fs;
  fs.DateSeparator = (data[0] & 1) ? '-' : '/';
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // The first half is a time format to print with, the rest a text to parse.
  std::size_t cut = rest.find('\n');
  std::string_view format =
      cut == std::string_view::npos ? std::string_view("hh:nn:ss") : rest.substr(0, cut);
  std::string_view text = cut == std::string_view::npos ? rest : rest.substr(cut + 1);
  if (format.size() > 64) return 0;
  fs.LongTimeFormat = std::string(format);
  try {
    arl::DateTime d = arl::StrToDate(text, fs);
    std::string printed = arl::DateToStr(d, fs);
    if (arl::StrToDate(printed, fs) != d) std::abort();
    (void)arl::FormatDateTime(fs.LongTimeFormat, d, fs);
  } catch (const arl::EConvertError&) {
  }
  try {
    arl::DateTime t = arl::StrToTime(text, fs);
    (void)arl::TimeToStr(t, fs);
  } catch (const arl::EConvertError&) {
  }
  return 0;
}
