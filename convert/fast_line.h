#pragma once
// FastLine: recognises, in one pass over its bytes, the common day-file line that repeats the first
// two fields of a line already converted (or already found to belong to no ticker): the same prefix
// "ticker,date," followed only by digits, '.', '+', '-' and commas up to the line end. Such a line
// belongs to the same tickers as the line that set the prefix, and when it continues "hhmm00," with
// exactly three more commas, its conversion is the key of that minute and the rest of the line.
// Anything else is left to the general path, which is always right.
#include <cstddef>
#include <string_view>

namespace arl {

struct FastLine {
  std::size_t next = 0;     // where the following line starts
  std::string_view time;    // field 2 (only when converting)
  std::string_view prices;  // fields 3 to 6 as they stand (only when converting)
  int minute = -1;          // minute of day of a "hhmm00" time, else -1
};

// Reads the line at text[pos] if it starts with `prefix` and the rest is of safe bytes. With
// `converting`, it must also have a whole-minute time and exactly seven fields.
bool ReadFastLine(std::string_view text, std::size_t pos, std::string_view prefix, bool converting,
                  FastLine& out);

// True when every byte of `field` could stand in the rest of a fast line.
bool IsSafeField(std::string_view field);

}  // namespace arl
