#pragma once

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The dashboard: live gauges, the oxygen sensor and its reference, the correction group, the dashboard chart
// and the bar of the live-data actions.
class DashboardPage final : public QWidget {
  Q_OBJECT

 public:
  DashboardPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  QAction* ActionSaveALL;
  QAction* ActionWriteConverter;
  QAction* ActionReadCoverter;
  QAction* ActionStart;
  QAction* ActionStop;
  QToolBar* Bar;
};

}  // namespace orvel::ui
