#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace arl::test {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "arl-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl + "/";
}

TempDir::~TempDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  bool failed = info && info->result() && info->result()->Failed();
  if (failed) {
    std::cerr << "kept the failed test's files in " << path_ << "\n";
    return;
  }
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

void MakeDirs(const std::string& path) { fs::create_directories(path); }

std::string BinDir() {
  if (const char* d = std::getenv("ARL_BIN_DIR")) return std::string(d) + "/";
  return "./";
}

std::string SourceDir() {
  if (const char* d = std::getenv("ARL_SOURCE_DIR")) return std::string(d) + "/";
  return "../";
}

}  // namespace arl::test
