#pragma once

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The log page: the log chart, the learning controls and the bar of log files.
class LogPage final : public QWidget {
  Q_OBJECT

 public:
  LogPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  QAction* LogFileOpen;
  QAction* LogFileSave;
  QToolBar* Bar;
};

}  // namespace orvel::ui
