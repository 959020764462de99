#include "extract.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <vector>

#include "destination.h"

namespace arl::plugin {

namespace {

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

std::string ArchiveText(archive* a) {
  const char* text = archive_error_string(a);
  return text ? text : "unknown archive problem";
}

// One archive being extracted: the destination, the running totals and the report.
class Extraction {
 public:
  Extraction(const ExtractRequest& request, Report& report, const Destination& destination)
      : request_(request), report_(report), destination_(destination) {}

  // False when extraction has to stop (a limit was hit or the archive is broken).
  bool Entry(archive* a, archive_entry* entry);
  void Summarise() {
    report_.Count("Folders", folders_);
    report_.Count("Files", files_);
    report_.Count("Size", totalBytes_);
  }

 private:
  bool WriteFile(archive* a, archive_entry* entry, const std::vector<std::string>& parts);

  const ExtractRequest& request_;
  Report& report_;
  const Destination& destination_;
  std::uint64_t totalBytes_ = 0, files_ = 0, folders_ = 0, entries_ = 0;
};

bool Extraction::Entry(archive* a, archive_entry* entry) {
  if (++entries_ > request_.limits.entries) {
    report_.Problem("too many entries in the archive");
    return false;
  }
  const char* rawName = archive_entry_pathname(entry);
  if (!rawName) rawName = archive_entry_pathname_utf8(entry);
  const std::string name = rawName ? rawName : "";
  std::vector<std::string> parts;
  std::string problem;
  if (!SplitEntryName(name, parts, problem)) {
    report_.Problem(problem);
    return true;
  }
  const mode_t type = archive_entry_filetype(entry);
  if (archive_entry_hardlink(entry) || archive_entry_symlink(entry) || type == AE_IFLNK) {
    report_.Problem("link refused: " + name);
    return true;
  }
  if (type == AE_IFDIR) {
    if (!request_.keepPaths || parts.empty()) return true;
    if (!destination_.OpenFolder(parts, problem).Valid())
      report_.Problem(problem);
    else
      ++folders_;
    return true;
  }
  if (type != AE_IFREG) {
    report_.Problem("special file refused: " + name);
    return true;
  }
  if (parts.empty()) {
    report_.Problem("file entry without a name: " + name);
    return true;
  }
  if (!request_.keepPaths) parts.erase(parts.begin(), parts.end() - 1);
  return WriteFile(a, entry, parts);
}

bool Extraction::WriteFile(archive* a, archive_entry* entry, const std::vector<std::string>& parts) {
  const std::string& name = parts.back();
  const std::uint64_t entryLimit = request_.limits.entryBytes;
  if (archive_entry_size_is_set(entry) &&
      static_cast<std::uint64_t>(archive_entry_size(entry)) > entryLimit) {
    report_.Problem("entry larger than the limit of " + Decimal(entryLimit) + " bytes: " + name);
    return false;
  }
  std::string problem;
  UniqueFd folder = destination_.OpenFolder({parts.begin(), parts.end() - 1}, problem);
  if (!folder.Valid()) {
    report_.Problem(problem);
    return true;
  }
  if (!request_.overwrite && NameExists(folder.Get(), name)) return true;
  AtomicFile file(folder.Get(), name);
  if (!file.Open(problem)) {
    report_.Problem(problem);
    return true;
  }
  std::vector<char> buffer(64 * 1024);
  std::uint64_t written = 0;
  for (;;) {
    const la_ssize_t n = archive_read_data(a, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      report_.Problem("cannot read " + name + ": " + ArchiveText(a));
      return n != ARCHIVE_FATAL;
    }
    written += static_cast<std::uint64_t>(n);
    if (written > entryLimit || totalBytes_ + written > request_.limits.totalBytes) {
      report_.Problem("size limit exceeded, extraction stopped at " + name);
      return false;
    }
    if (!file.Write(buffer.data(), static_cast<std::size_t>(n), problem)) {
      report_.Problem(problem);
      return false;
    }
  }
  if (!file.Commit(archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : 0, problem)) {
    report_.Problem(problem);
    return true;
  }
  totalBytes_ += written;
  ++files_;
  return true;
}

}  // namespace

void ExtractArchive(const ExtractRequest& request, Report& report) {
  ArchivePtr a(archive_read_new(), archive_read_free);
  archive_read_support_format_zip(a.get());
  if (archive_read_open_filename(a.get(), request.archive.c_str(), 64 * 1024) != ARCHIVE_OK) {
    report.Problem("cannot open archive " + request.archive + ": " + ArchiveText(a.get()));
    return;
  }
  const Destination destination(request.outputDir);
  if (!destination.Ok()) {
    report.Problem(destination.Problem());
    return;
  }
  Extraction extraction(request, report, destination);
  for (;;) {
    archive_entry* entry = nullptr;
    const int rc = archive_read_next_header(a.get(), &entry);
    if (rc == ARCHIVE_EOF) break;
    if (rc == ARCHIVE_FATAL || rc == ARCHIVE_RETRY || !entry) {
      report.Problem("cannot read archive " + request.archive + ": " + ArchiveText(a.get()));
      break;
    }
    if (rc == ARCHIVE_FAILED) {
      report.Problem("damaged entry in " + request.archive + ": " + ArchiveText(a.get()));
      continue;
    }
    if (!extraction.Entry(a.get(), entry)) break;
  }
  extraction.Summarise();
}

}  // namespace arl::plugin
