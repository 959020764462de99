#include "support/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/durable_file.h"
#include "support/errors.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/unique_fd.h"

namespace arl {

void SplitLines(std::string_view text, LineList& out) {
  out.clear();
  std::size_t start = 0;
  const std::size_t n = text.size();
  while (start < n) {
    std::size_t end = start;
    while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
    out.emplace_back(text.substr(start, end - start));
    if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
}

namespace {

std::string ErrorText(const char* what, const std::string& path, int error) {
  return std::string(what) + " \"" + path + "\": " + std::strerror(error);
}

// Reads the whole file; EInOutError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) throw EInOutError(ErrorText("Cannot open file", path, errno));
  std::string data;
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EInOutError(ErrorText("Cannot read file", path, errno));
    if (got == 0) break;
    data.append(chunk, static_cast<std::size_t>(got));
  }
  return data;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

LineList LoadLines(const std::string& path) {
  LineList lines;
  SplitLines(ReadWholeFile(path), lines);
  return lines;
}

void SaveLines(const std::string& path, const LineList& lines) {
  std::string content;
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  content.reserve(total);
  for (const auto& line : lines) {
    content += line;
    content += "\r\n";
  }
  WriteFileAtomically(path, content);
}

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

void SortCaseInsensitive(LineList& lines) {
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
}

std::string ReplaceAll(std::string_view text, std::string_view old_text, std::string_view new_text) {
  if (old_text.empty()) return std::string(text);
  auto is_continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    std::size_t at = text.find(old_text, from);
    while (at != std::string_view::npos && is_continuation(text[at])) at = text.find(old_text, at + 1);
    if (at == std::string_view::npos) break;
    result.append(text.substr(from, at - from));
    result.append(new_text);
    from = at + old_text.size();
  }
  result.append(text.substr(from));
  return result;
}

}  // namespace arl
