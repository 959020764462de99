#include "report.h"

#include <algorithm>
#include <cstring>

namespace arl::plugin {

std::string Decimal(std::uint64_t n) {
  char digits[24];
  std::size_t i = sizeof digits;
  do {
    digits[--i] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  return std::string(digits + i, sizeof digits - i);
}

std::string Report::Render() const {
  std::string text;
  if (Failed()) {
    text =
        "Error: " + Decimal(problems_.size()) + (problems_.size() == 1 ? " problem" : " problems") + "\r\n";
    for (const std::string& problem : problems_) text += "Error: " + problem + "\r\n";
    return text;
  }
  text = "Everything is Ok\r\n";
  for (const auto& [what, n] : counts_) text += what + ": " + Decimal(n) + "\r\n";
  return text;
}

void Report::WriteTo(char* output, int size) const {
  if (!output || size <= 0) return;
  const std::string text = Render();
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(output, text.data(), n);
  output[n] = '\0';
}

}  // namespace arl::plugin
