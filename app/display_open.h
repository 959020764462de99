#pragma once
// Opening the display for the window. Qt aborts the process when it cannot open one (no display,
// or a display that does not answer); OpenDisplay turns that abort into one Japanese line on stderr
// naming Qt's reason, and exit status 1. Qt's warnings while it connects are held back and passed
// on once the display is open, so a failed start prints that line alone.
#include <QApplication>
#include <memory>

namespace arl {

// Constructs the application; does not return when the display cannot be opened.
std::unique_ptr<QApplication> OpenDisplay(int& argc, char** argv);

}  // namespace arl
