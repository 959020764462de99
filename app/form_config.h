#pragma once
// What the window takes from its surroundings, gathered so that tests can set each of them: the
// program's directory, the command line, the current directory, the screen's work area, the
// start-up timer's interval, how long an auto-mode box with only OK waits, and the answers to message
// boxes.
#include <QRect>
#include <optional>
#include <string>
#include <vector>

#include "app/message_boxes.h"

namespace arl {

struct FormConfig {
  std::string appDir;             // empty: the executable's directory
  std::vector<std::string> args;  // the command-line arguments after the program's name
  std::string currentDir;         // where readme.html is; empty: where the program's files are
  std::optional<QRect> workArea;  // empty: the screen's available geometry
  int timerIntervalMs = 1000;     // Timer1: the delay between showing and the start-up decision
  // Auto mode: a box with only OK (its text is in the log already) closes itself after this long,
  // so that an unattended window never waits forever.
  int autoOkBoxCloseMs = 60000;
  MessageBoxHook boxHook;  // set: answers every message box instead of showing it
};

}  // namespace arl
