#pragma once

#include <qcustomplot.h>
#include <QButtonGroup>
#include <QLabel>
#include <QPoint>
#include <QRubberBand>
#include <QToolButton>
#include <vector>

#include "table/chart_pointer.h"
#include "table/table_views.h"

namespace orvel {
class Table;
}

namespace orvel::ui {

// The chart of a table model: its output, its temperature corrections, its
// trained points and the two MAF lines, with legend buttons that choose the
// series the pointer edits. The table graph uses it for the main table, the
// comparison page for the comparison table with the second table's series.
// Pointer editing follows the model's pixel mathematics (table/chart_pointer.h).
class TableChart final : public QCustomPlot, public TableGraphView {
  Q_OBJECT

 public:
  // `secondTable`: the comparison chart, with the series of Tab2 between the
  // main ones and the two MAF lines, and its own background.
  explicit TableChart(bool secondTable, QWidget* parent = nullptr);

  // The model the pointer edits; call before the model's BindGraph.
  void Attach(Table& table, bool showTrained);

  // TableGraphView.
  void ShowTable(const Table& table) override;
  void ShowEditHint(EditSeries series, int x, int value) override;

  // The plot area as the model's pointer mathematics sees it.
  [[nodiscard]] PlotArea Area() const;
  // Axes back to −30…300 and 0…300.
  void UndoZoom();
  // Puts a button of the page into the chart's row of buttons (top left).
  void AddChartButton(QToolButton* button);

  [[nodiscard]] QCPGraph* Series(int number) const { return SeriesList[static_cast<std::size_t>(number)]; }
  [[nodiscard]] int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
  [[nodiscard]] const std::vector<QToolButton*>& LegendButtons() const { return Legend; }
  [[nodiscard]] QLabel* Hint() const { return HintLabel; }
  [[nodiscard]] bool DragArmed() const { return Armed; }
  [[nodiscard]] Qt::MouseButton ZoomButton() const { return ZoomMouseButton; }

  // "+/-": which mouse button zooms (left at first) and which pans; the
  // button's caption swaps to "←/→" when the roles are swapped.
  QToolButton* ButtonZoomMove;
  // The hidden "+Alt" latch: editing by drag without grabbing the curve.
  bool AltLatched = false;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QCPGraph* AddSeries(const QString& title, const QColor& color, bool points, int width);
  void AddLegendButton(const QString& title, int number);
  void PlaceOverlays();
  void SetLegendShown(bool shown);
  void ShowHintAt(const QString& text, QPoint pointer);
  void ShowPointHint(QPoint pointer);
  void EditAt(QPoint pointer);
  [[nodiscard]] bool AltHeld(const QMouseEvent* event) const;
  [[nodiscard]] Qt::MouseButton PanButton() const;

  bool SecondTable;
  bool TrainedShown = true;
  Table* Model = nullptr;
  std::vector<QCPGraph*> SeriesList;  // in series order, the two MAF lines last
  std::vector<QToolButton*> Legend;   // in button order (EditSeries order)
  std::vector<int> LegendTops;
  QButtonGroup* LegendGroup;
  std::vector<QToolButton*> ChartButtons;
  QLabel* HintLabel;
  QRubberBand* ZoomBand;

  Qt::MouseButton ZoomMouseButton = Qt::LeftButton;
  QPoint PressPoint;
  QPoint LastPointer;  // where the pointer was at the last event: edit hints go there
  bool Armed = false;
  bool Zooming = false;
  bool Panning = false;
  QCPRange PanXRange;
  QCPRange PanYRange;
  bool LegendShown = true;
};

}  // namespace orvel::ui
