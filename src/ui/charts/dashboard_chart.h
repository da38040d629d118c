#pragma once

#include <qcustomplot.h>

#include <QRubberBand>
#include <array>

#include "autotune/dashboard_chart_gestures.h"
#include "core/messages.h"
#include "live/dashboard_frame.h"
#include "table/table.h"
#include "table/table_views.h"

namespace orvel::ui {

// The dashboard chart: the main table's curve, its temperature corrections and
// trained points, the correction window's borders, the converter's live
// point, the MAF limits and the cross-hair, over a background whose middle
// colour shows the autocorrection's state. Pointer events go to the gesture
// model, which also keeps the cross-hair; a press away from the curve starts a
// zoom rectangle.
//
// Drawing is coalesced: a change of the table, or a tick's frame, only marks
// what is stale, and the series are filled once when the event loop comes
// round, however many changes came first. Everything that moves with the run
// (the window's borders, the live points, the MAF lines and the cross-hair)
// sits on a layer of its own above the table's curves, so a redraw that
// leaves the curves as they were replots that layer alone.
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

  // The table's drawing changed: everything is refilled on the next turn.
  void ShowDashboard(const Table& table) override;
  // A tick's live points and highest MAF: the live part is refilled on the
  // next turn.
  void ShowFrame(const DashboardFrame& frame);
  // The background's middle colour.
  void SetStateColor(TColorRgb color);
  [[nodiscard]] QColor StateColor() const { return Middle; }
  // The axes back to their full ranges.
  void UndoZoom();
  [[nodiscard]] bool Zoomed() const;

  [[nodiscard]] QCPGraph* SeriesGraph(Series series) const { return Graphs[series]; }
  // The plot area and the axis ranges, as the gesture model takes them.
  [[nodiscard]] ChartFrame Frame() const;
  // How often the series were filled (the whole chart or its live part)
  // since the chart was made; the cross-hair's own lines are not counted.
  [[nodiscard]] long Refills() const { return RefillCount; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // After the plot: the cross-hair's values in boxes at the axes.
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Stale { Nothing, Live, Everything };

  void MarkStale(Stale part);
  void Refill();
  // The table's curves; false (nothing done) when they are drawn as they are.
  bool FillCurves();
  // The window's borders and the MAF limit.
  void FillWindow();
  void FillLive();
  void FillCursor();
  // Redraws the live layer alone or the whole plot; a hidden chart waits
  // until it is shown.
  void Redraw(bool liveOnly);
  void DrawValueBox(QPainter& painter, const QString& text, QPointF anchor, Qt::Alignment side) const;

  std::array<QCPGraph*, SeriesCount> Graphs{};
  QCPLayer* LiveLayer = nullptr;
  const Table* Bound = nullptr;
  DashboardChartGestures* Gestures = nullptr;
  QRubberBand* ZoomBand = nullptr;
  QPoint ZoomOrigin;
  bool ZoomActive = false;
  QColor Middle;  // the background gradient's middle: the state colour
  DashboardPoints Live;
  std::int32_t HighestMaf = 0;
  CrossHair Cursor;  // as the lines show it
  TableBlock DrawnBlock;
  PointValues DrawnTrained{};
  bool CurvesDrawn = false;
  Stale Pending = Stale::Nothing;
  bool ReplotWhenShown = false;
  long RefillCount = 0;
};

}  // namespace orvel::ui
