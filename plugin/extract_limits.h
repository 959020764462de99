#pragma once
// Limits that keep a hostile archive from filling the disk: bytes per archive, bytes per entry and
// the number of entries. The byte limits may be lowered (or raised) through ARL_EXTRACT_LIMIT and
// ARL_EXTRACT_ENTRY_LIMIT, in bytes; a value that is not a positive whole number is ignored.
#include <cstdint>

namespace arl::plugin {

struct ExtractLimits {
  std::uint64_t totalBytes = std::uint64_t{1} << 30;  // 1 GiB per archive
  std::uint64_t entryBytes = std::uint64_t{512} << 20;
  std::uint64_t entries = 100000;
};

// The limits in force, read from the environment at every call.
ExtractLimits CurrentExtractLimits();

}  // namespace arl::plugin
