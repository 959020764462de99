#include "support/timeframes.h"

#include <cctype>
#include <string>

#include "support/text.h"

namespace arl {

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

TimeframeChoice ParseTimeframes(std::string_view text) {
  TimeframeChoice choice;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::string_view word = TrimBlanks(text.substr(start, comma - start));
    start = comma + 1;
    if (word.empty()) continue;
    bool known = false;
    for (const TimeframeInfo& info : kTimeframes) {
      if (!SameNoCase(word, info.name)) continue;
      choice.frames.Add(info.frame);
      known = true;
    }
    if (known) continue;
    bool seen = false;
    for (const std::string& earlier : choice.unknown) seen = seen || earlier == word;
    if (!seen) choice.unknown.emplace_back(word);
  }
  return choice;
}

std::string TimeframesText(TimeframeSet frames) {
  std::string text;
  for (const TimeframeInfo& info : kTimeframes) {
    if (!frames.Has(info.frame)) continue;
    if (!text.empty()) text += ',';
    text += info.name;
  }
  return text;
}

bool IsBarFileName(std::string_view name) {
  for (const TimeframeInfo& frame : kTimeframes)
    if (name.size() > frame.name.size() && name.starts_with(frame.name) && name[frame.name.size()] == '_')
      return true;
  return false;
}

}  // namespace arl
