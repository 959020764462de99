// Extraction of one downloaded day archive and the naming of its day file.
//
// A good day file is never lost to a failed re-extraction: the extracted file replaces the old day
// file by a rename only once it is there, and when the extracted file bears the day file's own name
// (ddmmyy == yymmdd, as in 030203.zip) the old day file is set aside first and put back on failure.
// An extraction the archiver reports as failed is not trusted: whatever it left is removed.
#include <string_view>

#include "acquire/archive_download.h"
#include "acquire/day_names.h"
#include "support/archiver.h"
#include "support/files.h"

namespace arl {

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) { return path.substr(DirectoryOf(path).size()); }

std::string WithTxtExtension(const std::string& path) {
  const std::size_t nameStart = DirectoryOf(path).size();
  const std::size_t dot = path.rfind('.');
  const std::size_t stemEnd = (dot == std::string::npos || dot < nameStart) ? path.size() : dot;
  return path.substr(0, stemEnd) + ".txt";
}

// Not ending in ".txt", so a day file set aside is never taken for a day file.
std::string SetAsideName(const std::string& dayFilePath) { return dayFilePath + ".keep"; }

bool ExtractInto(const std::string& archivePath, const std::string& directory) {
  TArchieverDll7zip32 archiver;
  std::string output;
  return archiver.Extract(archivePath, directory, output);
}

}  // namespace

std::string DayFileName(const std::string& archiveName) { return SwapDayPairs(archiveName) + ".txt"; }

bool ExtractAndRename(Session& s, const std::string& archivePath, const std::string& dayName) {
  const std::string directory = DirectoryOf(archivePath);
  const std::string extracted = WithTxtExtension(archivePath);
  const std::string target = directory + dayName;
  const bool inPlace = extracted == target;

  // A leftover of an earlier attempt under the extracted name must not pass for this extraction.
  if (!inPlace && FileExists(extracted)) DeleteFile(extracted);
  const std::string setAside = SetAsideName(target);
  bool oldSetAside = false;
  bool oldStuck = false;  // could not be set aside: never remove what is under the day name then
  if (inPlace && FileExists(target)) {
    oldSetAside = RenameFile(target, setAside);
    oldStuck = !oldSetAside;
  }

  bool extractedOk = false;
  try {
    extractedOk = ExtractInto(archivePath, directory);
  } catch (...) {
    if (oldSetAside) RenameFile(setAside, target);
    throw;
  }

  s.Sleep(1);
  s.Pump();
  DeleteFile(archivePath);
  s.Sleep(1);
  s.Pump();
  s.Sleep(1);

  bool done = false;
  if (extractedOk && FileExists(extracted)) done = inPlace || RenameFile(extracted, target);
  if (!done) {
    if (!oldStuck) DeleteFile(extracted);  // a partial file or one the rename could not move
    if (oldSetAside) RenameFile(setAside, target);
  } else if (oldSetAside) {
    DeleteFile(setAside);
  }

  s.AddLog(FileNameOf(archivePath) + " → " + dayName + "へのリネーム " + (done ? "OK" : "失敗"));
  return done;
}

}  // namespace arl
