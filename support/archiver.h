#pragma once
// TArchieverDll: runs one command of an archiver library that exports a command entry
// int32 Entry(int32 window, const char* commandLine, char* output, int32 outputSize).
// The library is loaded with dlopen for every command and released before the command returns.
// Success is judged from the report: it fails when the report holds "error" in any letter case.
// TArchieverDll7zip32 binds it to the project's own zip plugin (lib7-zip32.so beside the executables).
#include <string>

#include "support/text.h"

namespace arl {

class TArchieverDll {
 public:
  TArchieverDll();
  virtual ~TArchieverDll();
  TArchieverDll(const TArchieverDll&) = delete;
  TArchieverDll& operator=(const TArchieverDll&) = delete;

  virtual bool Pack(const LineList& files, const std::string& archiveName, std::string& output);
  virtual bool Extract(const std::string& archiveName, const std::string& destDir, std::string& output);

  bool LoadEntry(std::string& output);
  void UnloadLibrary();
  bool RunCommand(const std::string& commandLine, std::string& output);

  static std::string QuoteArg(const std::string& text);
  static std::string BaseDirOf(const LineList& list);
  static void StripBaseDir(LineList& list, const std::string& base);

  std::string DllName = "UNKNOWN.DLL";
  std::string EntryName = "UNKNOWN";
  std::string ExtractCommand = "UNKNOWN";
  std::string PackCommand = "UNKNOWN";
  // Directory DllName is loaded from, ending in "/"; empty leaves the search to the system loader.
  std::string DllDir;

 protected:
  using EntryFn = int (*)(int window, const char* commandLine, char* output, int outputSize);
  void* LibraryHandle = nullptr;
  EntryFn EntryPoint = nullptr;
};

class TArchieverDll7zip32 : public TArchieverDll {
 public:
  TArchieverDll7zip32();
};

// The directory the plugin is looked for in (the executables' directory unless set, for tests).
void SetArchiverDirectory(const std::string& directory);
std::string ArchiverDirectory();

}  // namespace arl
