// Extraction of one downloaded day archive and the naming of its day file.
//
// The archive is extracted into a private folder of its own inside the year folder, and only the
// entry named like the archive (ddmmyy.txt) leaves it, by one rename onto the day file. So a broken
// or hostile archive can neither overwrite another day's file or the year marker nor leave stray
// files behind, and a good day file is never lost to a failed re-extraction: it is replaced only by
// a complete extracted file. An extraction the archiver reports as failed is not trusted at all.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "acquire/archive_download.h"
#include "acquire/day_names.h"
#include "support/archiver.h"
#include "support/disk_full.h"
#include "support/files.h"

namespace arl {

namespace {

std::string FileNameOf(const std::string& path) { return path.substr(DirectoryOf(path).size()); }

std::string WithTxtExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return name.substr(0, dot == std::string::npos ? name.size() : dot) + ".txt";
}

// A folder, not a ".txt" file, so a leftover of a crash never passes for a day file; it is cleared
// before every use.
std::string StagingFolderOf(const std::string& archivePath) {
  return DirectoryOf(archivePath) + ".extract-" + FileNameOf(archivePath) + "/";
}

// Never follows a link out of the tree, not even one standing where the folder should be: the
// trailing "/" is dropped, since "link/" names the link's target.
void RemoveTree(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool IsPlainFile(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored));
}

bool ExtractInto(const std::string& archivePath, const std::string& directory, std::string& output) {
  TArchieverDll7zip32 archiver;
  return archiver.Extract(archivePath, directory, output);
}

// The archiver reports a write that failed with the system's text of its error.
bool ReportsDiskFull(const std::string& output) {
  return output.find(std::strerror(ENOSPC)) != std::string::npos ||
         output.find(std::strerror(EDQUOT)) != std::string::npos;
}

// The archiver's first problem ("cannot write 030111.txt: No space left on device"), or its last
// line when it names none, for the log line of a failed extraction.
std::string FirstProblem(const std::string& output) {
  LineList lines;
  SplitLines(output, lines);
  for (const std::string& line : lines) {
    if (!line.starts_with("Error: ")) continue;
    if (line.ends_with(" problem") || line.ends_with(" problems")) continue;
    return line.substr(7);
  }
  return lines.empty() ? std::string() : lines.back();
}

}  // namespace

std::string DayFileName(const std::string& archiveName) { return SwapDayPairs(archiveName) + ".txt"; }

bool ExtractAndRename(Session& s, const std::string& archivePath, const std::string& dayName) {
  const std::string target = DirectoryOf(archivePath) + dayName;
  const std::string staging = StagingFolderOf(archivePath);
  const std::string extracted = staging + WithTxtExtension(FileNameOf(archivePath));

  RemoveTree(staging);
  CreateDir(staging);
  bool extractedOk = false;
  std::string output;
  try {
    extractedOk = ExtractInto(archivePath, staging, output);
  } catch (...) {
    RemoveTree(staging);
    throw;
  }

  DeleteFile(archivePath);
  if (!extractedOk && ReportsDiskFull(output)) {
    // What the extraction wrote goes, and the run ends: every further archive would fail alike.
    RemoveTree(staging);
    throw EDiskFull(DirectoryOf(archivePath), ENOSPC);
  }

  // The rename replaces an old day file in one step, also when it bears the extracted file's own
  // name (ddmmyy == yymmdd, as in 030203.zip).
  // The plugin flushed the file's data, so a day file is never torn. The year folder is not synced: a
  // rename lost to a power cut leaves the day missing, and the next run fetches it again.
  const bool done = extractedOk && IsPlainFile(extracted) && RenameFile(extracted, target);
  RemoveTree(staging);

  std::string line = FileNameOf(archivePath) + " → " + dayName + "へのリネーム " + (done ? "OK" : "失敗");
  if (!extractedOk) line += " (" + FirstProblem(output) + ")";
  s.AddLog(line);
  return done;
}

}  // namespace arl
