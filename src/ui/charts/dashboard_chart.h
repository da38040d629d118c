#pragma once

#include <qcustomplot.h>

#include <QRubberBand>
#include <array>

#include "autotune/dashboard_chart_gestures.h"
#include "core/messages.h"
#include "table/table_views.h"

namespace orvel::ui {

// The dashboard chart: the main table's curve, its temperature corrections and
// trained points, the correction window's borders, the converter's live
// point, the MAF limits and the cross-hair, over a background whose middle
// colour shows the autocorrection's state. Pointer events go to the gesture
// model; a press away from the curve starts a zoom rectangle.
class DashboardChart final : public QCustomPlot, public DashboardChartView {
  Q_OBJECT

 public:
  // The series, in drawing order.
  enum Series {
    Tab1Series,
    IatCorrSeries,
    EctCorrSeries,
    LearnedSeries,
    MafBegSeries,
    MafEndSeries,
    ConvOutSeries,
    IatPointSeries,
    EctPointSeries,
    MaxMafSeries,
    MaxMafAnywaySeries,
    XCursorSeries,
    YCursorSeries,
    SeriesCount
  };

  explicit DashboardChart(QWidget* parent = nullptr);

  // Binds the chart to the table (BindDashboard) and its pointer events to
  // `gestures`.
  void Bind(Table& table, DashboardChartGestures& gestures);

  void ShowDashboard(const Table& table) override;
  // The background's middle colour.
  void SetStateColor(TColorRgb color);
  [[nodiscard]] QColor StateColor() const { return Middle; }
  // The axes back to their full ranges.
  void UndoZoom();
  [[nodiscard]] bool Zoomed() const;

  [[nodiscard]] QCPGraph* SeriesGraph(Series series) const { return Graphs[series]; }
  // How often the series were filled since the chart was made: what a
  // redraw costs besides the plot itself.
  [[nodiscard]] long Refills() const { return RefillCount; }
  // The plot area and the axis ranges, as the gesture model takes them.
  [[nodiscard]] ChartFrame Frame() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // After the plot: the cross-hair's values in boxes at the axes.
  void draw(QCPPainter* painter) override;

 private:
  void DrawValueBox(QCPPainter* painter, const QString& text, QPointF anchor, Qt::Alignment side);

  std::array<QCPGraph*, SeriesCount> Graphs{};
  Table* Bound = nullptr;
  DashboardChartGestures* Gestures = nullptr;
  QRubberBand* ZoomBand = nullptr;
  QPoint ZoomOrigin;
  bool ZoomActive = false;
  QColor Middle;  // the background gradient's middle: the state colour
  int CursorX = 0;
  int CursorY = 0;
  long RefillCount = 0;
};

}  // namespace orvel::ui
