#include "app/display_open.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace arl {

namespace {

struct HeldMessage {
  QtMsgType type;
  QString text;
  QByteArray file, function, category;
  int line;
};

QtMessageHandler previousHandler = nullptr;

std::string NoDisplayMessage(const std::string& reason) {
  return "autorateloom: 画面 (ディスプレイ) に接続できません (" + reason +
         ")。画面のないサーバーでは autorateloom-cli を使ってください\n";
}

std::vector<HeldMessage> held;

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    held.push_back({type, text, context.file, context.function, context.category, context.line});
    return;
  }
  // The platform's first warning names the display it tried ("could not connect to display :1");
  // the fatal text itself only says that no platform plugin started.
  QString reason = text;
  for (const HeldMessage& m : held) {
    if (m.type == QtWarningMsg && m.category.startsWith("qt.qpa.")) {
      reason = m.text;
      break;
    }
  }
  reason = reason.section(QLatin1Char('\n'), 0, 0).trimmed();
  const std::string line = NoDisplayMessage(reason.toStdString());
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  _exit(1);  // the abort that would follow helps nobody
}

}  // namespace

std::unique_ptr<QApplication> OpenDisplay(int& argc, char** argv) {
  previousHandler = qInstallMessageHandler(HoldOrFail);
  auto app = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previousHandler);
  for (const HeldMessage& m : held) {
    const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                     m.category.constData());
    if (previousHandler) previousHandler(m.type, context, m.text);
  }
  held.clear();
  return app;
}

}  // namespace arl
