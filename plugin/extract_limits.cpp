#include "extract_limits.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace arl::plugin {

namespace {

void ReadLimit(const char* name, std::uint64_t& value) {
  const char* text = std::getenv(name);
  if (!text || *text < '0' || *text > '9') return;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno == 0 && *end == '\0' && parsed > 0) value = parsed;
}

}  // namespace

ExtractLimits CurrentExtractLimits() {
  ExtractLimits limits;
  ReadLimit("ARL_EXTRACT_LIMIT", limits.totalBytes);
  ReadLimit("ARL_EXTRACT_ENTRY_LIMIT", limits.entryBytes);
  limits.entryBytes = std::min(limits.entryBytes, limits.totalBytes);
  return limits;
}

}  // namespace arl::plugin
