#pragma once

#include <QWidget>
#include <memory>

class QAction;
class QToolBar;

namespace orvel {
class Table;
}

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;
class FileDialogs;
class TableChart;
class ParameterFields;

// The comparison of two table files: the comparison chart, the two rows of parameter fields and the bar that
// opens and saves either table.
class ComparePage final : public QWidget {
  Q_OBJECT

 public:
  ComparePage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);
  ~ComparePage() override;

  // Binds the comparison table to the chart and both rows of fields (its
  // BindGraph and BindSecondTable) and wires the bar.
  void Bind(Table& compareTable, FileDialogs& dialogs);

 private:
  void Open(int block);
  void Save(int block);

  QAction* FileOpenCompare;
  QAction* FileOpenCompare1;
  QAction* FileOpenCompare2;
  QAction* FileSaveAsCompare;
  QAction* FileSaveAsCompare1;
  QAction* FileSaveAsCompare2;
  QToolBar* Bar;
  TableChart* ChartCompare;
  // The rows "Tab#1" and "Tab#2": the panels of Tab1 and Tab2.
  std::unique_ptr<ParameterFields> Fields1;
  std::unique_ptr<ParameterFields> Fields2;

  Table* Model = nullptr;
  FileDialogs* Dialogs = nullptr;
};

}  // namespace orvel::ui
