#pragma once
// Host: what a run needs of whoever drives it. The window implements it with widgets, the headless
// front end with stdout, stderr and signals, tests with scripted answers. Everything is called on
// the one thread that runs the run; handlers nested in Pump() (the cancel button) may change GoOn().
#include <string>
#include <string_view>

#include "support/settings.h"
#include "support/text.h"

namespace arl {

// A multi-line text pane used as a list of lines: the log pane Memo1 and the scratch pane Memo2.
class Pane {
 public:
  virtual ~Pane() = default;
  virtual void Clear() = 0;
  virtual void Add(std::string_view line) = 0;  // one line, no line breaks inside
  virtual LineList Lines() const = 0;
  virtual void SetLines(const LineList& lines) = 0;
  virtual void Repaint() {}
};

class Host {
 public:
  virtual ~Host() = default;

  virtual Pane& Memo1() = 0;
  virtual Pane& Memo2() = 0;

  // Called by AddLog for every line of a message, as soon as the line reached Memo1 (before the log
  // file is written, so that a log file that fails does not hide the message).
  virtual void OnLogged(std::string_view /*line*/) {}

  virtual void SetStatus(std::string_view text) = 0;
  virtual void Pump() = 0;  // let pending window messages run
  virtual void Repaint() {}

  // The go-on flag: the cancel button's enabled state. Cleared by a confirmed cancel.
  virtual bool GoOn() const = 0;
  virtual void SetGoOn(bool goOn) = 0;

  // Modal message boxes: OK only, and OK/Cancel with OK as the default (true for OK).
  virtual void MessageBoxOk(std::string_view text, std::string_view caption) = 0;
  virtual bool ConfirmOkCancel(std::string_view text, std::string_view caption) = 0;

  // The option controls' current values, read where they are used.
  virtual OptionValues Options() const = 0;

  // Store the options (SaveSettings) at the start of a run.
  virtual void SaveSettings() = 0;

  // The window's busy and idle states. EnterBusyUi is steps 1-6 of the busy state (status, buttons,
  // options disabled, pump). LeaveBusyUi re-enables everything and sets the go-on flag; the run
  // control then logs "処理完了" and, in auto mode, asks to close with RequestClose().
  virtual void EnterBusyUi() = 0;
  virtual void LeaveBusyUi() = 0;
  virtual void RequestClose() {}
};

}  // namespace arl
