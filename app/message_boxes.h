#pragma once
// The window's modal message boxes, and the hook through which tests answer them instead of a user.
#include <functional>
#include <string>

class QWidget;

namespace arl {

struct BoxRequest {
  enum class Kind { Ok, OkCancel, Error };
  Kind kind = Kind::Ok;
  std::string text;
  std::string caption;
};

// Answers a box in place of the user: true stands for OK. Only OkCancel boxes use the answer.
using MessageBoxHook = std::function<bool(const BoxRequest&)>;

// Shows the real box, modal to `parent`: OK only (no icon), OK/Cancel (no icon, OK the default,
// Escape and the close box answer Cancel), or the error box of the top-level handler. With
// `closeOkAfterMs` above 0 a box with only OK presses it itself after that long; a question never
// answers itself.
bool ShowMessageBox(QWidget* parent, const BoxRequest& request, int closeOkAfterMs = 0);

}  // namespace arl
