#pragma once
// Day archives are named ddmmyy.zip and day files yymmdd.txt, so that the day files of a year sort in
// date order. Each name is the other's image under swapping the first and third pairs of characters.
#include <string>
#include <string_view>

namespace arl {

// Characters 5-6, then 3-4, then 1-2 of the name (counted from 1). A short name gives what is there,
// never an out-of-range read.
inline std::string SwapDayPairs(std::string_view name) {
  auto pair = [name](std::size_t from) {
    return from < name.size() ? name.substr(from, 2) : std::string_view{};
  };
  std::string swapped;
  swapped.append(pair(4)).append(pair(2)).append(pair(0));
  return swapped;
}

}  // namespace arl
