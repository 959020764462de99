#include "support/profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "support/durable_file.h"
#include "support/errors.h"
#include "support/text.h"
#include "support/unique_fd.h"

namespace arl {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// A value must stay on its line: a line break in it would start new keys when the file is read.
std::string OneLine(std::string_view value) {
  std::string line(value);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

bool ReadAll(const std::string& path, std::string& data) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return false;
  char chunk[16384];
  for (;;) {
    ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    data.append(chunk, static_cast<std::size_t>(got));
  }
  return true;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) { Load(); }

void ProfileFile::Load() {
  std::string data;
  if (!ReadAll(path_, data)) return;
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  LineList lines;
  SplitLines(data, lines);
  for (const std::string& raw : lines) {
    std::string_view line = TrimBlanks(raw);
    if (!line.empty() && line.front() == '[') {
      std::size_t close = line.find(']');
      if (close != std::string_view::npos) {
        sections_.push_back(Section{std::string(TrimBlanks(line.substr(1, close - 1))), {}, true});
        continue;
      }
    }
    if (sections_.empty()) sections_.push_back(Section{"", {}, false});
    std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
      sections_.back().entries.push_back(Entry{raw, "", true});
    } else {
      sections_.back().entries.push_back(Entry{std::string(TrimBlanks(line.substr(0, equals))),
                                               std::string(line.substr(equals + 1)), false});
    }
  }
}

const std::string* ProfileFile::Find(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!s.headed || !SameName(s.name, section)) continue;
    for (const Entry& e : s.entries)
      if (!e.verbatim && SameName(e.key, key)) return &e.value;
  }
  return nullptr;
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view section) {
  for (Section& s : sections_)
    if (s.headed && SameName(s.name, section)) return &s;
  return nullptr;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const std::string* value = Find(section, key);
  if (value == nullptr) return std::string(def);
  std::string_view text = TrimBlanks(*value);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return std::string(text);
}

int ProfileFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  std::string text = ReadString(section, key, "");
  if (text.empty()) return def;
  try {
    return StrToInt(text);
  } catch (const EConvertError&) {
    return def;
  }
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back(Section{std::string(section), {}, true});
    s = &sections_.back();
  }
  std::size_t insert_at = 0;
  for (std::size_t i = 0; i < s->entries.size(); ++i) {
    Entry& e = s->entries[i];
    if (e.verbatim) continue;
    if (SameName(e.key, key)) {
      e.value = OneLine(value);
      return;
    }
    insert_at = i + 1;
  }
  // New keys go after the section's last key, ahead of the blank lines that close it.
  if (insert_at == 0) insert_at = s->entries.size();
  s->entries.insert(s->entries.begin() + static_cast<std::ptrdiff_t>(insert_at),
                    Entry{OneLine(key), OneLine(value), false});
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

// Every copy of the key goes, in every section of that name, so that a later write is the one read.
void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  for (Section& s : sections_) {
    if (s.headed && SameName(s.name, section))
      std::erase_if(s.entries, [&](const Entry& e) { return !e.verbatim && SameName(e.key, key); });
  }
}

void ProfileFile::Save() const {
  std::string content;
  for (const Section& s : sections_) {
    if (s.headed) content += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) {
      content += e.key;
      if (!e.verbatim) content += "=" + e.value;
      content += "\r\n";
    }
  }
  WriteFileAtomically(path_, content);
}

}  // namespace arl
