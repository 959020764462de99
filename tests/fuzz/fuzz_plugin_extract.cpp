// Fuzzes the archiver plugin's extraction with arbitrary archive bytes: whatever the archive holds,
// files appear only inside the output folder, never as links, and no temporary file stays behind.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plugin/extract.h"

namespace fs = std::filesystem;

namespace {

const fs::path& WorkDir() {
  static const fs::path dir = fs::temp_directory_path() / ("arl-fuzz-extract-" + std::to_string(::getpid()));
  static const bool cleanupRegistered = std::atexit([] {
                                          std::error_code ignored;
                                          fs::remove_all(dir, ignored);
                                        }) == 0;
  (void)cleanupRegistered;
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256 * 1024) return 0;
  const fs::path work = WorkDir();
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::create_directories(work / "out", ec);
  const fs::path archive = work / "in.zip";
  FILE* f = std::fopen(archive.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  arl::plugin::ExtractRequest request;
  request.archive = archive.string();
  request.outputDir = (work / "out" / "year").string() + "/";
  request.limits.totalBytes = 1 << 20;
  request.limits.entryBytes = 1 << 20;
  request.limits.entries = 2000;
  arl::plugin::Report report;
  arl::plugin::ExtractArchive(request, report);
  (void)report.Render();

  // The plugin's temporary names; an archive may hold names like ".arl-x" of its own.
  static const std::string temporaryPrefix = ".arl-" + std::to_string(::getpid()) + "-";
  // Only the archive and the output folder are in the work folder; below it only plain files and folders.
  for (const auto& e : fs::directory_iterator(work)) {
    if (e.path() != archive && e.path() != work / "out") std::abort();
  }
  for (const auto& e : fs::recursive_directory_iterator(work / "out")) {
    if (e.is_symlink() || (!e.is_regular_file() && !e.is_directory())) std::abort();
    if (e.path().filename().string().rfind(temporaryPrefix, 0) == 0) std::abort();  // a temporary file left
    if (e.path().string().rfind((work / "out" / "year").string(), 0) != 0) std::abort();
  }
  return 0;
}
