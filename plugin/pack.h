#pragma once
// Packs files and folders into a zip archive. Names are given relative to a base folder; a last
// level with "*" or "?" is matched against that folder's content, and folders are added with all
// they hold. Entries already in an existing archive are kept unless a new entry of the same name
// replaces them. The archive is built under a temporary name and renamed into place only when it is
// complete, so a failure leaves any earlier archive untouched. Links are not stored.
#include <string>
#include <vector>

#include "report.h"

namespace arl::plugin {

struct PackRequest {
  std::string archive;
  std::string baseDir;                // empty or ending in "/"
  std::vector<std::string> patterns;  // relative to baseDir
};

void PackArchive(const PackRequest& request, Report& report);

}  // namespace arl::plugin
