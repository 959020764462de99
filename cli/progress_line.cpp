#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace arl {

namespace {

// The columns a code point takes on a terminal: two for the wide East Asian ranges.
int Cells(char32_t c) {
  const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                    (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                    (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                    (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
  return wide ? 2 : 1;
}

// The length of the UTF-8 sequence that starts at `text[at]`, and its code point.
std::size_t Decode(std::string_view text, std::size_t at, char32_t& c) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (at + length > text.size()) {
    c = lead;
    return text.size() - at;
  }
  c = static_cast<char32_t>(length == 1 ? lead : lead & (0x7F >> length));
  for (std::size_t i = 1; i < length; ++i)
    c = (c << 6) | static_cast<char32_t>(static_cast<unsigned char>(text[at + i]) & 0x3F);
  return length;
}

}  // namespace

TerminalProbe SystemTerminal() {
  return {[](int fd) { return ::isatty(fd) == 1; },
          [](int fd) {
            winsize size{};
            return ::ioctl(fd, TIOCGWINSZ, &size) == 0 ? static_cast<int>(size.ws_col) : 0;
          }};
}

TerminalProbe& HeadlessTerminal() {
  static TerminalProbe probe = SystemTerminal();
  return probe;
}

bool DrawsProgressLine(bool quiet, int fd, const TerminalProbe& probe) {
  return !quiet && probe.isTerminal && probe.isTerminal(fd);
}

std::string ProgressLineText(std::string_view progress, std::string_view status, int columns) {
  const std::string_view text = progress.empty() ? status : progress;
  if (columns <= 0) return std::string(text);
  int used = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    const std::size_t length = Decode(text, at, c);
    used += Cells(c);
    if (used > columns - 1) break;
    at += length;
  }
  return std::string(text.substr(0, at));
}

}  // namespace arl
