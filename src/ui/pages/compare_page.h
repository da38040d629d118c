#pragma once

#include <QAction>
#include <QToolBar>
#include <QWidget>

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;

// The comparison of two table files: the comparison chart, the two rows of parameter fields and the bar that
// opens and saves either table.
class ComparePage final : public QWidget {
  Q_OBJECT

 public:
  ComparePage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);

  QAction* FileOpenCompare;
  QAction* FileOpenCompare1;
  QAction* FileOpenCompare2;
  QAction* FileSaveAsCompare;
  QAction* FileSaveAsCompare1;
  QAction* FileSaveAsCompare2;
  QToolBar* Bar;
};

}  // namespace orvel::ui
