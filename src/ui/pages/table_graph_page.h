#pragma once

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The table graph: the main table's chart with mouse editing, the parameter sliders and the bar of table
// files and table operations.
class TableGraphPage final : public QWidget {
  Q_OBJECT

 public:
  TableGraphPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  QAction* TabFileOpen;
  QAction* TabFileSave;
  QAction* ActionTableOneToOne;
  QAction* ActionReadCoverter;
  QAction* ActionWriteConverter;
  QToolBar* Bar;
};

}  // namespace orvel::ui
