#pragma once
// What the window's controls show at one moment (busy or idle), and the index page the run tests
// use: it serves no links, so every run against it ends with discovery's error.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include "tests/app/form_harness.h"

namespace arl::test {

inline constexpr char kIndex[] = "http://fx.test/free_forex_quotes/forex_history_arhiv.html";

struct ControlStates {
  bool button1Visible = false, button1Enabled = false, cancelVisible = false, cancelEnabled = false;
  bool cancelAtButton1 = false, anyOptionEnabled = true, allOptionsEnabled = false, panel1Enabled = false;
  bool panesReadable = false;  // both list panes enabled (scroll, select, copy) and read-only
  QString status;
  // The window is ready for the next run and shows nothing of the last one.
  bool Idle() const {
    return button1Visible && button1Enabled && !cancelVisible && cancelEnabled && allOptionsEnabled &&
           panel1Enabled && panesReadable;
  }
};

inline ControlStates Capture(FormHarness& h) {
  static const char* const kOptionControls[] = {"EditURL",     "EditLongTimeFormat", "EditFileHeadName",
                                                "EditGmtGap",  "EditRetryLimit",     "RadioGroup1",
                                                "RadioGroup2", "RadioGroup3",        "CheckBox1"};
  ControlStates s;
  auto* run = h.Get<QPushButton>("Button1");
  auto* cancel = h.Get<QPushButton>("CancelButton");
  s.button1Visible = run->isVisible();
  s.button1Enabled = run->isEnabled();
  s.cancelVisible = cancel->isVisible();
  s.cancelEnabled = cancel->isEnabled();
  s.cancelAtButton1 = cancel->x() == run->x();
  s.anyOptionEnabled = false;
  s.allOptionsEnabled = true;
  for (const char* name : kOptionControls) {
    bool on = h.Get(name)->isEnabled();
    s.anyOptionEnabled = s.anyOptionEnabled || on;
    s.allOptionsEnabled = s.allOptionsEnabled && on;
  }
  s.panel1Enabled = h.Get("Panel1")->isEnabled();
  s.panesReadable = true;
  for (const char* name : {"Memo1", "Memo2"}) {
    auto* pane = h.Get<QPlainTextEdit>(name);
    s.panesReadable = s.panesReadable && pane->isEnabled() && pane->isReadOnly();
  }
  s.status = h.Get<QStatusBar>("StatusBar1")->currentMessage();
  return s;
}

}  // namespace arl::test
