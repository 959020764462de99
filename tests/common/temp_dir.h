#pragma once
// A fresh temporary directory per test, removed when the test passed and kept (and named on stderr)
// when it failed, so the files can be looked at.
#include <string>

namespace arl::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // ends in "/"
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole-file helpers for tests.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
void MakeDirs(const std::string& path);
// The directory holding the built executables, the plugin, CurrencyList.txt and readme.html.
std::string BinDir();
std::string SourceDir();

}  // namespace arl::test
