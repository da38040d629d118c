#include "ui/window/first_paint_probe.h"

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <chrono>

namespace orvel::ui {

void FirstPaintProbe::WatchIfRequested(QWidget& window) {
  const QString file = qEnvironmentVariable("ORVEL_FIRST_PAINT_FILE");
  if (file.isEmpty()) {
    return;
  }
  // Owned by the window.
  new FirstPaintProbe(window, file, qEnvironmentVariableIntValue("ORVEL_QUIT_AFTER_FIRST_PAINT") == 1);
}

FirstPaintProbe::FirstPaintProbe(QWidget& window, QString file, bool quit)
    : QObject(&window), Window(window), File(std::move(file)), Quit(quit) {
  window.installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
  if (!Seen && watched == &Window && event->type() == QEvent::Paint) {
    Seen = true;
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    QFile out(File);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      out.write(QByteArray::number(static_cast<qlonglong>(now)) + '\n');
    }
    if (Quit) {
      QTimer::singleShot(0, &Window, [this] { Window.close(); });
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace orvel::ui
