#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "core/number_format.h"
#include "table/parameters.h"

class QAction;
class QLabel;
class QSlider;
class QToolBar;
class QToolButton;

namespace orvel {
class Table;
}

namespace orvel::ui {

class TextRegistry;
class LatchRegistry;
class KeyboardModifiers;
class FileDialogs;
class TableChart;
class ParameterFields;

// The table graph: the main table's chart with mouse editing, the parameter sliders and the bar of table
// files and table operations.
class TableGraphPage final : public QWidget {
  Q_OBJECT

 public:
  TableGraphPage(TextRegistry& texts, LatchRegistry& latches, QWidget* parent = nullptr);
  ~TableGraphPage() override;

  // Binds the main table to the chart and the hidden parameter fields (its
  // BindGraph: the first history snapshot) and wires the bar, the latches and
  // the undo and redo buttons.
  void Bind(Table& mainTable, KeyboardModifiers& modifiers, FileDialogs& dialogs);

  // Shows the selection label of parameter 1…7 bold and italic, the others
  // plain; any other number leaves all plain.
  void ShowSelectedParameter(int parameter);
  // The bar's read and write actions wait for an identified converter and
  // rest while live data runs.
  void SetConverterActionsEnabled(bool enabled);

 signals:
  // Undo or redo moved the main table's history (the log chart redraws).
  void HistoryMoved();
  // A slider took the focus: its parameter 1…7 is now the selected one.
  void ParameterSelected(int parameter);
  // The bar's "1:1 Table", "Read from converter" and "Write to converter".
  void OneToOneClicked();
  void ReadClicked();
  void WriteClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildSliders(TextRegistry& texts, QWidget* panel);
  void ShowSliderValue(int slider);
  void OpenTable();
  void SaveTable();

  QAction* TabFileOpen;
  QAction* TabFileSave;
  QAction* ActionTableOneToOne;
  QAction* ActionReadCoverter;
  QAction* ActionWriteConverter;
  QToolBar* Bar;
  TableChart* ChartTableGraph;

  // On the chart: undo and redo over the main table's history, the modifier
  // latches and the hidden "+Alt".
  QToolButton* SpeedButtonUndo;
  QToolButton* SpeedButtonRedo;
  QToolButton* SpeedButtonShift;
  QToolButton* SpeedButtonCtrl;
  QToolButton* SpeedButtonAlt;

  // The sliders in F-key order (F1…F7: TrackBarMafSm … TrackBarEnleanment),
  // their value labels and selection labels.
  std::array<QSlider*, 7> Sliders{};
  std::array<QLabel*, 7> ValueLabels{};
  std::array<QLabel*, 7> SelectionLabels{};
  // The eight hidden fields that carry the parameters of the main table.
  std::unique_ptr<ParameterFields> Fields;

  Table* Model = nullptr;
  FileDialogs* Dialogs = nullptr;
  NumberFormat Format;
};

}  // namespace orvel::ui
