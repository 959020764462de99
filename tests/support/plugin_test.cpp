#include <archive.h>
#include <archive_entry.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/archiver.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct ZipEntry {
  ZipEntry(std::string n, std::string c, mode_t t = AE_IFREG, std::string link = "")
      : name(std::move(n)), content(std::move(c)), type(t), linkTarget(std::move(link)) {}
  std::string name;
  std::string content;
  mode_t type;
  std::string linkTarget;
};

// Writes a zip with exactly these entries, hostile names included.
void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const ZipEntry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.type);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(e.content.size()));
    if (e.type == AE_IFLNK) archive_entry_set_symlink(entry, e.linkTarget.c_str());
    ASSERT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name;
    if (!e.content.empty()) archive_write_data(a, e.content.data(), e.content.size());
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
}

// Every name below the directory, relative, sorted.
std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    names.push_back(fs::relative(e.path(), dir).string());
  std::sort(names.begin(), names.end());
  return names;
}

bool PluginMapped() {
  std::ifstream maps("/proc/self/maps");
  std::stringstream text;
  text << maps.rdbuf();
  return text.str().find("lib7-zip32.so") != std::string::npos;
}

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
  ~ScopedEnv() { ::unsetenv(name_); }

 private:
  const char* name_;
};

TEST(PluginTest, ExtractsZipsFromZipAndFromItsOwnPack) {
  TempDir tmp;
  WriteFile(tmp / "src/030109.txt", "EURUSD,20090103,000000\r\n");
  WriteFile(tmp / "src/deep/er ror \"q\".txt", "quoted");
  ASSERT_EQ(std::system(("cd '" + tmp / "src" + "' && zip -qr ../info.zip . >/dev/null").c_str()), 0);
  TArchieverDll7zip32 dll;
  std::string output;
  EXPECT_TRUE(dll.Extract(tmp / "info.zip", tmp / "errors/", output)) << output;
  EXPECT_NE(output.find("Everything is Ok"), std::string::npos);
  EXPECT_EQ(ReadFile(tmp / "errors/030109.txt"), "EURUSD,20090103,000000\r\n");
  EXPECT_EQ(ReadFile(tmp / "errors/deep/er ror \"q\".txt"), "quoted");
  EXPECT_FALSE(PluginMapped());

  // Round trip through the plugin's own packing (a folder and a file beside it).
  EXPECT_TRUE(dll.Pack({tmp / "src/deep", tmp / "src/030109.txt"}, tmp / "own \"x\".zip", output)) << output;
  EXPECT_FALSE(PluginMapped());
  EXPECT_TRUE(dll.Extract(tmp / "own \"x\".zip", tmp / "back/", output)) << output;
  EXPECT_EQ(Tree(tmp / "back"), (std::vector<std::string>{"030109.txt", "deep", "deep/er ror \"q\".txt"}));
  EXPECT_EQ(ReadFile(tmp / "back/deep/er ror \"q\".txt"), "quoted");

  // Adding to an existing archive keeps what it held.
  WriteFile(tmp / "src/later.txt", "later");
  EXPECT_TRUE(dll.Pack({tmp / "src/later.txt"}, tmp / "own \"x\".zip", output)) << output;
  EXPECT_TRUE(dll.Extract(tmp / "own \"x\".zip", tmp / "again/", output)) << output;
  EXPECT_EQ(Tree(tmp / "again"),
            (std::vector<std::string>{"030109.txt", "deep", "deep/er ror \"q\".txt", "later.txt"}));
}

TEST(PluginTest, OverwritesExistingFilesWholeOrNotAtAll) {
  TempDir tmp;
  // A "./" folder entry names the destination itself and is harmless.
  MakeZip(tmp / "day.zip", {{"./", "", AE_IFDIR}, {"030109.txt", std::string(5000, 'n')}});
  WriteFile(tmp / "out/030109.txt", "old");
  TArchieverDll7zip32 dll;
  std::string output;
  EXPECT_TRUE(dll.Extract(tmp / "day.zip", tmp / "out/", output)) << output;
  EXPECT_EQ(ReadFile(tmp / "out/030109.txt"), std::string(5000, 'n'));

  // A damaged copy of the same archive fails and leaves the file as it was, with no stray temp file.
  std::string bytes = ReadFile(tmp / "day.zip");
  const std::size_t data = bytes.find("030109.txt") + 10;
  for (std::size_t i = data; i < data + 8; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
  WriteFile(tmp / "bad.zip", bytes);
  WriteFile(tmp / "out/030109.txt", "old");
  EXPECT_FALSE(dll.Extract(tmp / "bad.zip", tmp / "out/", output));
  EXPECT_NE(output.find("Error"), std::string::npos) << output;
  EXPECT_EQ(ReadFile(tmp / "out/030109.txt"), "old");
  EXPECT_EQ(Tree(tmp / "out"), std::vector<std::string>{"030109.txt"});
}

TEST(PluginTest, BrokenOrMissingArchivesAreErrors) {
  TempDir tmp;
  WriteFile(tmp / "text.zip", "this is not a zip archive at all");
  TArchieverDll7zip32 dll;
  std::string output;
  for (const char* name : {"text.zip", "missing.zip"}) {
    EXPECT_FALSE(dll.Extract(tmp / name, tmp / "out/", output)) << name;
    EXPECT_NE(output.find("Error"), std::string::npos) << output;
  }
  MakeZip(tmp / "day.zip", {{"030109.txt", std::string(3000, 'x')}});
  const std::string whole = ReadFile(tmp / "day.zip");
  WriteFile(tmp / "half.zip", whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(dll.Extract(tmp / "half.zip", tmp / "out/", output));
  EXPECT_FALSE(fs::exists(tmp / "out/030109.txt"));
  EXPECT_FALSE(dll.RunCommand("q \"a.zip\"", output));
  EXPECT_FALSE(dll.RunCommand("x \"a.zip -o\"d\"", output));  // unterminated quote
}

TEST(PluginTest, HostileEntriesAreRefusedAndNothingLandsOutside) {
  TempDir tmp;
  MakeZip(tmp / "evil.zip", {{"../escaped.txt", "x"},
                             {tmp / "absolute.txt", "x"},
                             {"sub/../../escaped2.txt", "x"},
                             {"link", "", AE_IFLNK, tmp.path()},
                             {"ok.txt", "fine"}});
  TArchieverDll7zip32 dll;
  std::string output;
  EXPECT_FALSE(dll.Extract(tmp / "evil.zip", tmp / "out/", output));
  EXPECT_EQ(Tree(tmp.path()), (std::vector<std::string>{"evil.zip", "out", "out/ok.txt"})) << output;
  for (const char* reason : {"escaped.txt", "absolute", "escaped2.txt", "link refused"})
    EXPECT_NE(output.find(reason), std::string::npos) << reason << "\n" << output;

  // A link already inside the destination is not followed either.
  test::MakeDirs(tmp / "outside");
  ASSERT_EQ(::symlink((tmp / "outside").c_str(), (tmp / "out/sub").c_str()), 0);
  MakeZip(tmp / "through.zip", {{"sub/planted.txt", "x"}});
  EXPECT_FALSE(dll.Extract(tmp / "through.zip", tmp / "out/", output));
  EXPECT_TRUE(fs::is_empty(tmp / "outside"));
}

TEST(PluginTest, SizeLimitsStopArchiveBombs) {
  TempDir tmp;
  MakeZip(tmp / "bomb.zip", {{"small.txt", "s"}, {"huge.txt", std::string(4 << 20, '\0')}});
  ASSERT_LT(fs::file_size(tmp / "bomb.zip"), 64u << 10);
  TArchieverDll7zip32 dll;
  std::string output;
  {
    ScopedEnv limit("ARL_EXTRACT_LIMIT", "1048576");
    EXPECT_FALSE(dll.Extract(tmp / "bomb.zip", tmp / "out/", output));
    EXPECT_NE(output.find("limit"), std::string::npos) << output;
    EXPECT_EQ(Tree(tmp / "out"), std::vector<std::string>{"small.txt"});
  }
  // The per-archive total counts every entry, each under the per-entry limit.
  MakeZip(tmp / "many.zip", {{"a.txt", std::string(600 << 10, 'a')}, {"b.txt", std::string(600 << 10, 'b')}});
  {
    ScopedEnv limit("ARL_EXTRACT_LIMIT", "1048576");
    EXPECT_FALSE(dll.Extract(tmp / "many.zip", tmp / "many/", output));
    EXPECT_EQ(Tree(tmp / "many"), std::vector<std::string>{"a.txt"});
  }
  EXPECT_TRUE(dll.Extract(tmp / "bomb.zip", tmp / "free/", output)) << output;
  EXPECT_EQ(fs::file_size(tmp / "free/huge.txt"), 4u << 20);
}

// Calls the plugin's entry directly, to see exactly what it writes into a buffer.
class PluginEntry : public ::testing::Test {
 protected:
  using Entry = int (*)(int, const char*, char*, int);
  void SetUp() override {
    handle_ = ::dlopen((ArchiverDirectory() + "lib7-zip32.so").c_str(), RTLD_NOW);
    ASSERT_NE(handle_, nullptr) << ::dlerror();
    entry_ = reinterpret_cast<Entry>(::dlsym(handle_, "SevenZip"));
    ASSERT_NE(entry_, nullptr);
  }
  void TearDown() override {
    if (handle_) ::dlclose(handle_);
  }
  void* handle_ = nullptr;
  Entry entry_ = nullptr;
};

TEST_F(PluginEntry, ReportNeverPassesTheSizeGiven) {
  char buffer[32];
  std::fill(std::begin(buffer), std::end(buffer), 'Z');
  EXPECT_NE(entry_(0, "x \"/nonexistent/archive.zip\" -o\"/nonexistent/\"", buffer, 8), 0);
  EXPECT_STREQ(buffer, "Error: ");
  EXPECT_EQ(buffer[8], 'Z');
  std::fill(std::begin(buffer), std::end(buffer), 'Z');
  EXPECT_NE(entry_(0, "x", buffer, 1), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'Z');
  EXPECT_NE(entry_(0, nullptr, nullptr, 0), 0);
}

TEST_F(PluginEntry, ExtractWithoutPathsFlattensEntries) {
  TempDir tmp;
  MakeZip(tmp / "nested.zip", {{"a/", "", AE_IFDIR}, {"a/b/one.txt", "1"}, {"two.txt", "2"}});
  char buffer[256] = {};
  const std::string command = "e -y \"" + tmp / "nested.zip" + "\" -o\"" + tmp / "flat" + "\"";
  EXPECT_EQ(entry_(0, command.c_str(), buffer, sizeof buffer), 0) << buffer;
  EXPECT_EQ(Tree(tmp / "flat"), (std::vector<std::string>{"one.txt", "two.txt"}));
}

}  // namespace
}  // namespace arl
