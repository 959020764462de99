#pragma once
// Extracts a zip archive into a folder, treating the archive as untrusted: entries with absolute
// paths, ".." levels, links, devices or fifos are refused and reported; the archive and entry byte
// limits stop archive bombs (the entry being written is dropped and extraction stops). Existing
// files are replaced atomically or, when `overwrite` is off, kept. Every problem lands in `report`.
#include <string>

#include "extract_limits.h"
#include "report.h"

namespace arl::plugin {

struct ExtractRequest {
  std::string archive;
  std::string outputDir;
  bool keepPaths = true;  // false: every file lands directly in outputDir
  bool overwrite = true;
  ExtractLimits limits;
};

void ExtractArchive(const ExtractRequest& request, Report& report);

}  // namespace arl::plugin
