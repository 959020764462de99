// Fuzzes the pattern adapter's "m" command parser and matcher: any command either matches, does not,
// or raises EBRegExpError; matched text is always readable.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/regexp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t cut = all.find('\n');
  std::string pattern(all.substr(0, cut));
  std::string target(cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1));
  if (pattern.size() > 256) return 0;
  arl::TBRegExp re;
  try {
    if (re.Match(pattern, target)) {
      for (int i = 0; i < re.GroupCount(); ++i) (void)re.MatchedText(i);
    }
  } catch (const arl::EBRegExpError&) {
  }
  return 0;
}
