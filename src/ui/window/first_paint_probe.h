#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace orvel::ui {

// For the start-up benchmark: when the environment names a file in
// ORVEL_FIRST_PAINT_FILE, the wall-clock time of the window's first paint
// (microseconds since the epoch) is written there; with
// ORVEL_QUIT_AFTER_FIRST_PAINT=1 the window is then closed the ordinary way.
// Without the variable it does nothing.
class FirstPaintProbe final : public QObject {
  Q_OBJECT

 public:
  // Watches `window`; does nothing unless the environment asks for it.
  static void WatchIfRequested(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FirstPaintProbe(QWidget& window, QString file, bool quit);

  QWidget& Window;
  QString File;
  bool Quit;
  bool Seen = false;
};

}  // namespace orvel::ui
