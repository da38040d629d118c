// The desktop program: builds the application object, the message sink and
// the main window, and runs the event loop.

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>
#include <clocale>
#include <exception>
#include <string_view>

#include "ui/main_window.h"
#include "ui/message_box_messages.h"

namespace {

// Shows an error that escaped an event handler and lets the program go on,
// as the toolkit's own exception display would.
class GuardedApplication final : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(error.what()));
    } catch (...) {
      QMessageBox::critical(activeWindow(), applicationName(), QString());
    }
    return false;
  }
};

// "--sim-time-scale X": the built-in simulator runs X times faster than real
// time, so a long drive can be tried in minutes. 1 when absent or not a
// positive number.
double SimulatorTimeScale(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string_view(argv[i]) == "--sim-time-scale") {
      bool ok = false;
      const double scale = QString::fromLocal8Bit(argv[i + 1]).toDouble(&ok);
      return ok && scale > 0 ? scale : 1.0;
    }
  }
  return 1.0;
}

}  // namespace

int main(int argc, char** argv) {
  GuardedApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("OrvelConfigurator"));
  // Numbers in the logic are formatted by the program itself; keep the C
  // library's own conversions predictable.
  std::setlocale(LC_NUMERIC, "C");
  if (auto* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(style);
  }

  orvel::ui::MessageBoxMessages messages;
  orvel::ui::TForm1 window(messages, orvel::ui::DefaultMainWindowServices(SimulatorTimeScale(argc, argv)));
  messages.SetParent(&window);
  window.show();
  return QApplication::exec();
}
