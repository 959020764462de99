#include "convert/bar_pending.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/datetime.h"
#include "support/durable_file.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/text.h"

namespace arl {

std::optional<std::int64_t> PendingBarsFrom(const Paths& paths, int year) {
  const std::string path = paths.BarsPendingPath(std::to_string(year));
  if (!FileExists(path)) return std::nullopt;
  const std::int64_t yearStart = EncodeDate(year, 1, 1).DayNumber();
  const LineList lines = LoadLines(path);
  int y = 0, m = 0, d = 0;
  DateTime day;
  if (lines.empty() || std::sscanf(lines.front().c_str(), "%d-%d-%d", &y, &m, &d) != 3 ||
      !TryEncodeDate(y, m, d, day))
    return yearStart;
  return day.DayNumber();
}

void NoteBarsPending(const Paths& paths, int year, std::int64_t day) {
  if (const std::optional<std::int64_t> noted = PendingBarsFrom(paths, year); noted && *noted <= day) return;
  int y = 0, m = 0, d = 0;
  DecodeDate(DateTime{day * DateTime::kMsPerDay}, y, m, d);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d\r\n", y, m, d);
  WriteFileAtomically(paths.BarsPendingPath(std::to_string(year)), text);
}

void ClearBarsPending(const Paths& paths, int year) {
  const std::string path = paths.BarsPendingPath(std::to_string(year));
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    throw EInOutError("I/O error: cannot delete " + path + ": " + std::strerror(errno));
}

}  // namespace arl
