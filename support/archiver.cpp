#include "support/archiver.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <mutex>
#include <vector>

#include "support/program_files.h"

namespace arl {

namespace {

// The libraries a plugin needs (an archive library and a dozen behind it) stay loaded once the first
// command has loaded them: every command then maps and unloads only the plugin itself, whose state
// still starts afresh each time. They come after the plugin in the loader's list of what it loaded.
void KeepDependenciesLoaded(void* plugin) {
  static std::once_flag once;
  std::call_once(once, [plugin] {
    link_map* map = nullptr;
    if (::dlinfo(plugin, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return;
    for (const link_map* m = map->l_next; m != nullptr; m = m->l_next)
      if (m->l_name != nullptr && *m->l_name != '\0') ::dlopen(m->l_name, RTLD_LAZY | RTLD_NOLOAD);
  });
}

constexpr std::size_t kReportBufferSize = 1024;  // the library is told one byte less, so a NUL always ends it
constexpr std::size_t kSystemTextLimit = 256;

// The loader's message, cut and without the trailing blanks and full stops.
std::string SystemErrorText(const char* text) {
  std::string message = text ? text : "unknown loader error";
  if (message.size() > kSystemTextLimit) message.resize(kSystemTextLimit);
  while (!message.empty()) {
    const unsigned char last = static_cast<unsigned char>(message.back());
    if (last > ' ' && last != '.' && last != 127) break;
    message.pop_back();
  }
  return message;
}

// Fills each "%s" of the template with the next argument; nothing else is interpreted, so
// a path holding "%" can never disturb the command.
std::string FillTemplate(const std::string& templ, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 's') {
      if (next < args.size()) out += args[next];
      ++next;
      ++i;
    } else {
      out += templ[i];
    }
  }
  return out;
}

std::string ReplaceEvery(const std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size())
    out.append(text, pos, hit - pos).append(to);
  return out.append(text, pos);
}

bool ContainsErrorWord(const std::string& report) {
  std::string lower = report;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower.find("error") != std::string::npos;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string& ArchiverDirectoryOverride() {
  static std::string directory;
  return directory;
}

}  // namespace

void SetArchiverDirectory(const std::string& directory) {
  std::string dir = directory;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  ArchiverDirectoryOverride() = dir;
}

std::string ArchiverDirectory() {
  if (!ArchiverDirectoryOverride().empty()) return ArchiverDirectoryOverride();
  return CurrentProgramFiles().pluginDir;
}

TArchieverDll::TArchieverDll() = default;

TArchieverDll::~TArchieverDll() { UnloadLibrary(); }

bool TArchieverDll::LoadEntry(std::string& output) {
  ::dlerror();
  LibraryHandle = ::dlopen((DllDir + DllName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!LibraryHandle) {
    output = SystemErrorText(::dlerror());
    return false;
  }
  KeepDependenciesLoaded(LibraryHandle);
  EntryPoint = reinterpret_cast<EntryFn>(::dlsym(LibraryHandle, EntryName.c_str()));
  if (!EntryPoint) {
    // The loader forgets its message on the next call, so it is read before the release.
    const std::string message = SystemErrorText(::dlerror());
    UnloadLibrary();
    output = message;
    return false;
  }
  return true;
}

void TArchieverDll::UnloadLibrary() {
  if (!LibraryHandle) return;
  ::dlclose(LibraryHandle);
  LibraryHandle = nullptr;
}

bool TArchieverDll::RunCommand(const std::string& commandLine, std::string& output) {
  bool ok = LoadEntry(output);
  if (ok) {
    try {
      std::vector<char> buffer(kReportBufferSize, '\0');
      EntryPoint(0, commandLine.c_str(), buffer.data(), static_cast<int>(kReportBufferSize - 1));
      output.assign(buffer.data(), ::strnlen(buffer.data(), kReportBufferSize));
      ok = !ContainsErrorWord(output);
    } catch (const std::exception& e) {
      output = std::string(e.what()) + ", " + output;
      ok = false;  // a library that threw has not done its work
    } catch (...) {
      output = "unknown exception in the archiver library, " + output;
      ok = false;
    }
  }
  UnloadLibrary();
  output = EntryName + " (in " + DllName + ") OUTPUT:\r\n" + output;
  for (std::size_t before = 0; before != output.size();) {
    before = output.size();
    output = ReplaceEvery(output, "\r\n\r\n", "\r\n");
  }
  return ok;
}

bool TArchieverDll::Extract(const std::string& archiveName, const std::string& destDir, std::string& output) {
  return RunCommand(FillTemplate(ExtractCommand, {QuoteArg(archiveName), QuoteArg(destDir)}), output);
}

bool TArchieverDll::Pack(const LineList& files, const std::string& archiveName, std::string& output) {
  LineList list = files;
  const std::string base = BaseDirOf(list);
  for (std::string& entry : list) {
    if (!IsDirectory(entry)) continue;
    if (entry.empty() || entry.back() != '/') entry += '/';
    entry += '*';
  }
  StripBaseDir(list, base);
  std::string fileText;
  for (const std::string& entry : list) fileText += QuoteArg(entry) + " ";
  return RunCommand(FillTemplate(PackCommand, {QuoteArg(archiveName), QuoteArg(base), fileText}), output);
}

std::string TArchieverDll::QuoteArg(const std::string& text) {
  return "\"" + ReplaceEvery(text, "\"", "\"\"") + "\"";
}

std::string TArchieverDll::BaseDirOf(const LineList& list) {
  if (list.empty()) return "";
  const std::size_t slash = list.front().rfind('/');
  return slash == std::string::npos ? "" : list.front().substr(0, slash + 1);
}

void TArchieverDll::StripBaseDir(LineList& list, const std::string& base) {
  if (base.empty()) return;
  for (std::string& entry : list)
    if (entry.compare(0, base.size(), base) == 0) entry.erase(0, base.size());
}

TArchieverDll7zip32::TArchieverDll7zip32() {
  DllName = "lib7-zip32.so";
  EntryName = "SevenZip";
  PackCommand = "a -r %s %s %s";
  ExtractCommand = "x -hide -aoa %s -o%s ";
  DllDir = ArchiverDirectory();
}

}  // namespace arl
