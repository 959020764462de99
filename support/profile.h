#pragma once
// A small profile (INI) file: sections of "key=value" lines, read whole on construction and written
// whole by Save(), through a temporary file and a rename so that a crash mid-write never loses or
// tears the file. Reading never fails: a missing or unreadable file reads as empty.
#include <string>
#include <string_view>
#include <vector>

namespace arl {

class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  // A value that does not parse as an integer gives def; "0x" starts a hexadecimal value.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // Spaces at either end and one pair of enclosing quotes are dropped.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Read as an integer; true when non-zero.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"
  // Removes the key from the section; nothing happens when it is not there.
  void DeleteKey(std::string_view section, std::string_view key);

  // Writes the file: sections and keys in the order they were first read or written.
  // Raises EInOutError when the file cannot be written.
  void Save() const;

 private:
  // A line that is not "key=value" (a comment, a blank line) is kept as it stands in `key`.
  struct Entry {
    std::string key, value;
    bool verbatim = false;
  };
  // Lines before the first section header form a section without a header.
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    bool headed = true;
  };
  const std::string* Find(std::string_view section, std::string_view key) const;
  Section* FindSection(std::string_view section);
  void Load();
  std::string path_;
  std::vector<Section> sections_;
};

}  // namespace arl
