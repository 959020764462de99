#pragma once
// The headless front end's one line on stderr: whether it is drawn at all (only on a terminal, and
// not with --quiet), and what it reads, cut to the terminal's width so that it never wraps (a line
// that wrapped could not be taken back with a carriage return). TerminalProbe is the seam through
// which the front end asks about the terminal: the system's answers by default, a test's own in
// tests. Nothing here raises.
#include <functional>
#include <string>
#include <string_view>

namespace arl {

struct TerminalProbe {
  std::function<bool(int fd)> isTerminal;
  std::function<int(int fd)> columns;  // 0 when not known
};

// isatty and the terminal's window size.
TerminalProbe SystemTerminal();

// The probe the headless front end asks; tests put their own and put it back.
TerminalProbe& HeadlessTerminal();

bool DrawsProgressLine(bool quiet, int fd, const TerminalProbe& probe);

// The run's progress when it has reported any, otherwise its status; cut to leave the terminal's
// last column free (`columns` 0: not cut). Characters of East Asian width take two columns.
std::string ProgressLineText(std::string_view progress, std::string_view status, int columns);

}  // namespace arl
