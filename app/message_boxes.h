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
// Escape and the close box answer Cancel), or the error box of the top-level handler.
bool ShowMessageBox(QWidget* parent, const BoxRequest& request);

}  // namespace arl
