#pragma once

#include <qcustomplot.h>

#include <QLabel>
#include <QPushButton>
#include <QRubberBand>
#include <array>
#include <optional>

#include "live/log_chart.h"
#include "live/log_chart_events.h"

namespace orvel {
class Log;
class Table;
}  // namespace orvel

namespace orvel::ui {

// The log chart: seventeen series over a time axis, a toggle button per data
// series (and one for the "MAF" point marks) that appear when the pointer
// comes near the top right corner, a value hint, rubber-band zooming with the
// log's zoom history, panning, and editing the table by dragging the "Tab"
// line or double-clicking. The rules live in LogChartEvents and Log; this
// widget turns mouse events into their calls and draws what they give.
class LogChart final : public QCustomPlot, public LogChartView {
  Q_OBJECT

 public:
  LogChart(Log& log, Table& mainTable, QWidget* parent = nullptr);
  ~LogChart() override;

  // LogChartView.
  void ShowLog(const LogChartData& data) override;
  void ShowAxes(const LogAxisRanges& ranges) override;
  [[nodiscard]] std::int64_t PlotColumns() const override;

  // The axis titles, in the window's language.
  void SetAxisTitles(const QString& valueTitle, const QString& timeTitle);

  // The zoom/move button's click: swaps the mouse buttons' roles; returns
  // the button's new caption.
  QString ToggleMoveMode();
  // The hidden "+Alt" latch: held like the Alt key.
  void SetAltLatched(bool latched) { AltLatched = latched; }

  [[nodiscard]] LogChartEvents& Events() { return PointerRules; }
  [[nodiscard]] QCPGraph* Series(LogSeries series) const { return Graphs[SeriesIndex(series)]; }
  [[nodiscard]] LogAxisRanges Ranges() const;
  // The pixel positions of both axes' ends, for the pointer rules.
  [[nodiscard]] ChartAxes PixelAxes() const;
  [[nodiscard]] bool ButtonsShown() const { return ToggleButtons[0]->isVisible(); }

  // Series buttons 0..12 (captioned with the series titles) and the "*****"
  // button of the "MAF" point marks.
  std::array<QPushButton*, kLogDataSeriesCount + 1> ToggleButtons{};
  QLabel* Hint = nullptr;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SetUpAxes();
  void CreateSeries();
  void CreateToggleButtons();
  void PlaceToggleButtons();
  void ShowToggleButtons(bool shown);
  void ToggleSeries(std::size_t series, bool shown);
  void ShowHint(const std::optional<ChartHint>& hint);
  [[nodiscard]] bool AltHeld(const QMouseEvent* event) const;
  void FinishZoomDrag(QPointF end);

  Log& LogModel;
  LogChartEvents PointerRules;
  std::array<QCPGraph*, kLogSeriesCount> Graphs{};
  QRubberBand* Band = nullptr;
  bool AltLatched = false;
  std::int64_t DrawnColumns = 0;  // the plot's width at the last resize

  // The drag in progress.
  std::optional<QPointF> ZoomFrom;  // the rubber band's corner while zooming
  std::optional<QPointF> PanFrom;   // where panning started...
  LogAxisRanges PanRanges;          // ...and the axes then
};

}  // namespace orvel::ui
