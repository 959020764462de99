#pragma once
// Report: what one command did, written as text into the caller's buffer.
// A report with problems starts with "Error" so that callers that only search for that word (in any
// case) see the failure even when the text is cut to fit the buffer; a clean report never holds the
// letters of that word, so it names no paths (a path may contain them) and only counts.
#include <cstdint>
#include <string>
#include <vector>

namespace arl::plugin {

// Decimal text of a number. (The library's own conversions carry process-wide tables that would pin
// this plugin in memory after it is released, so it is done by hand.)
std::string Decimal(std::uint64_t n);

class Report {
 public:
  void Problem(std::string message) { problems_.push_back(std::move(message)); }
  bool Failed() const { return !problems_.empty(); }
  void Count(const std::string& what, std::uint64_t n) { counts_.emplace_back(what, n); }

  std::string Render() const;
  // Copies as much of Render() as fits in size - 1 bytes and ends it with a NUL. Writes nothing
  // when the buffer is missing or has no room.
  void WriteTo(char* output, int size) const;

 private:
  std::vector<std::string> problems_;
  std::vector<std::pair<std::string, std::uint64_t>> counts_;
};

}  // namespace arl::plugin
