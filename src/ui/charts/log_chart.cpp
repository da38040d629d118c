#include "ui/charts/log_chart.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include "live/log.h"
#include "ui/charts/log_series_graph.h"
#include "ui/qt_text.h"

namespace orvel::ui {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kAxisGrey(0x80, 0x80, 0x80);
constexpr int kTitleSize = 12;
// The series are drawn 1 px wide without antialiasing: 2 px pens made a
// whole-hour redraw several times slower than the chart may take.
constexpr int kSeriesPenWidth = 1;
constexpr double kZoomMinimumPixels = 3;
constexpr double kPointMarkSize = 4;
const QString kPointMarksCaption = QStringLiteral("*****");

ChartButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return ChartButton::Left;
    case Qt::RightButton:
      return ChartButton::Right;
    default:
      return ChartButton::Other;
  }
}

Qt::MouseButton QtButtonOf(ChartButton button) {
  return button == ChartButton::Left ? Qt::LeftButton : Qt::RightButton;
}

QPen SeriesPen(const LogSeriesLook& look) {
  QPen pen(QColor::fromRgb(static_cast<QRgb>(look.Rgb)), kSeriesPenWidth);
  switch (look.Line) {
    case LogLineStyle::Solid:
      break;
    case LogLineStyle::Dashed:
      pen.setStyle(Qt::DashLine);
      break;
    case LogLineStyle::DashedGap5:
      // In pen widths: 6-pixel dashes with 5-pixel gaps.
      pen.setDashPattern({6.0 / kSeriesPenWidth, 5.0 / kSeriesPenWidth});
      break;
  }
  return pen;
}

void StyleAxis(QCPAxis* axis) {
  axis->setBasePen(QPen(kAxisGrey));
  axis->setTickPen(QPen(kAxisGrey));
  axis->setSubTickPen(QPen(kAxisGrey));
  axis->setTickLabelColor(kSilver);
  axis->setLabelColor(kSilver);
  QFont font = axis->labelFont();
  font.setPointSize(kTitleSize);
  axis->setLabelFont(font);
  axis->grid()->setPen(QPen(kAxisGrey, 0, Qt::DotLine));
  axis->grid()->setSubGridVisible(false);
}

}  // namespace

LogChart::LogChart(Log& log, Table& mainTable, QWidget* parent)
    : QCustomPlot(parent), LogModel(log), PointerRules(log, mainTable) {
  setObjectName(QStringLiteral("LogChart"));
  setBackground(Qt::black);
  axisRect()->setBackground(Qt::black);
  setNotAntialiasedElements(QCP::aeAll);
  setNoAntialiasingOnDrag(true);
  setInteractions({});
  legend->setVisible(false);
  clearGraphs();
  SetUpAxes();
  CreateSeries();
  CreateToggleButtons();
  Band = new QRubberBand(QRubberBand::Rectangle, this);
  Hint = new QLabel(this);
  Hint->setObjectName(QStringLiteral("LogChartHint"));
  Hint->setStyleSheet(
      QStringLiteral("background: #FFFFE1; color: black; border: 1px solid black; padding: 1px"));
  Hint->hide();
  setMouseTracking(true);
  log.BindChart(*this, mainTable);
}

LogChart::~LogChart() {
  LogModel.UnbindChart();
}

void LogChart::SetUpAxes() {
  auto ticker = QSharedPointer<QCPAxisTickerTime>::create();
  ticker->setTimeFormat(QStringLiteral("%h:%m:%s:%z"));
  for (const auto unit : {QCPAxisTickerTime::tuHours, QCPAxisTickerTime::tuMinutes,
                          QCPAxisTickerTime::tuSeconds, QCPAxisTickerTime::tuMilliseconds}) {
    ticker->setFieldWidth(unit, 1);  // "0:15:0:0", unpadded as the clock format h:m:s:z
  }
  xAxis->setTicker(ticker);
  xAxis->setRange(0, 1);
  xAxis->setTickLengthIn(10);
  xAxis->setSubTickLength(3);
  yAxis->setRange(-30, 300);
  yAxis->setTickLengthIn(10);
  yAxis->setTickLengthOut(10);
  yAxis->setSubTickLength(5);
  xAxis->setLabel(QStringLiteral("Время"));
  yAxis->setLabel(QStringLiteral("Уровень сигнала"));
  StyleAxis(xAxis);
  StyleAxis(yAxis);
}

void LogChart::CreateSeries() {
  for (std::size_t s = 0; s < kLogSeriesCount; ++s) {
    auto* graph = new LogSeriesGraph(xAxis, yAxis);  // the plot owns it
    graph->setName(ToQString(kLogSeriesLooks[s].Title));
    graph->setPen(SeriesPen(kLogSeriesLooks[s]));
    graph->setAdaptiveSampling(false);
    graph->setVisible(PointerRules.SeriesShown(s));
    Graphs[s] = graph;
  }
}

void LogChart::CreateToggleButtons() {
  for (std::size_t b = 0; b < ToggleButtons.size(); ++b) {
    const bool marks = b == kLogDataSeriesCount;
    auto* button = new QPushButton(marks ? kPointMarksCaption : ToQString(kLogSeriesLooks[b].Title), this);
    button->setObjectName(QStringLiteral("LogToggle") + QString::number(b));
    button->setCheckable(true);
    button->setChecked(marks ? PointerRules.MafPointMarks() : PointerRules.SeriesShown(b));
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(kToggleButtonWidth, kToggleButtonHeight);
    button->hide();
    if (marks) {
      connect(button, &QPushButton::toggled, this, [this](bool down) {
        PointerRules.SetMafPointMarks(down);
        Series(LogSeries::Maf)
            ->setScatterStyle(down ? QCPScatterStyle(QCPScatterStyle::ssDisc, kPointMarkSize)
                                   : QCPScatterStyle(QCPScatterStyle::ssNone));
        replot(rpQueuedReplot);
      });
    } else {
      connect(button, &QPushButton::toggled, this, [this, b](bool down) { ToggleSeries(b, down); });
    }
    ToggleButtons[b] = button;
  }
  PlaceToggleButtons();
}

void LogChart::PlaceToggleButtons() {
  const int left = width() - kToggleButtonRightInset;
  for (std::size_t b = 0; b < ToggleButtons.size(); ++b) {
    ToggleButtons[b]->move(left, kToggleButtonTop + kToggleButtonPitch * static_cast<int>(b));
  }
}

void LogChart::ShowToggleButtons(bool shown) {
  for (QPushButton* button : ToggleButtons) {
    button->setVisible(shown);
    if (shown) {
      button->raise();
    }
  }
}

void LogChart::ToggleSeries(std::size_t series, bool shown) {
  PointerRules.SetSeriesShown(series, shown);
  Graphs[series]->setVisible(shown);
  replot(rpQueuedReplot);
}

void LogChart::SetAxisTitles(const QString& valueTitle, const QString& timeTitle) {
  yAxis->setLabel(valueTitle);
  xAxis->setLabel(timeTitle);
  replot(rpQueuedReplot);
}

QString LogChart::ToggleMoveMode() {
  PointerRules.ToggleMoveMode();
  return ToQString(PointerRules.ZoomMoveCaption());
}

void LogChart::ShowLog(const LogChartData& drawn) {
  const LogChartLines& lines = drawn.Lines;
  const auto count = static_cast<qsizetype>(lines.Time.size());
  for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
    QVector<QCPGraphData> points(count);
    const auto& values = lines.Values[s];
    for (qsizetype j = 0; j < count; ++j) {
      points[j] = QCPGraphData(lines.Time[static_cast<std::size_t>(j)], values[static_cast<std::size_t>(j)]);
    }
    Graphs[s]->data()->set(points, true);
  }
  for (std::size_t l = 0; l < kLogLevelSeriesCount; ++l) {
    QVector<QCPGraphData> points;
    if (!drawn.Time.empty()) {
      points = {QCPGraphData(drawn.LevelTime[0], drawn.Levels[l]),
                QCPGraphData(drawn.LevelTime[1], drawn.Levels[l])};
    }
    Graphs[kLogDataSeriesCount + l]->data()->set(points, true);
  }
  for (std::size_t s = 0; s < kLogSeriesCount; ++s) {
    Graphs[s]->setVisible(PointerRules.SeriesShown(s));
  }
  replot(rpQueuedReplot);
}

void LogChart::ShowAxes(const LogAxisRanges& ranges) {
  xAxis->setRange(ranges.TimeMin, ranges.TimeMax);
  yAxis->setRange(ranges.ValueMin, ranges.ValueMax);
  replot(rpQueuedReplot);
}

LogAxisRanges LogChart::Ranges() const {
  return {xAxis->range().lower, xAxis->range().upper, yAxis->range().lower, yAxis->range().upper};
}

ChartAxes LogChart::PixelAxes() const {
  const QCPRange time = xAxis->range();
  const QCPRange value = yAxis->range();
  return {{time.lower, time.upper, xAxis->coordToPixel(time.lower), xAxis->coordToPixel(time.upper)},
          {value.lower, value.upper, yAxis->coordToPixel(value.lower), yAxis->coordToPixel(value.upper)}};
}

bool LogChart::AltHeld(const QMouseEvent* event) const {
  return AltLatched || event->modifiers().testFlag(Qt::AltModifier);
}

void LogChart::ShowHint(const std::optional<ChartHint>& hint) {
  if (!hint) {
    Hint->hide();
    return;
  }
  Hint->setText(ToQString(hint->Text));
  Hint->adjustSize();
  const int x = std::clamp(static_cast<int>(hint->X), 0, std::max(0, width() - Hint->width()));
  const int y = std::clamp(static_cast<int>(hint->Y), 0, std::max(0, height() - Hint->height()));
  Hint->move(x, y);
  Hint->show();
  Hint->raise();
}

void LogChart::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  const ChartButton button = ButtonOf(event->button());
  const auto outcome = PointerRules.MouseDown(button, AltHeld(event), at.x(), at.y(), PixelAxes());
  if (!outcome.Handled) {
    return;
  }
  ShowHint(outcome.Hint);
  ZoomFrom.reset();
  PanFrom.reset();
  if (button == PointerRules.ZoomButton() && PointerRules.ZoomEnabled()) {
    ZoomFrom = at;
    Band->setGeometry(QRect(at.toPoint(), QSize()));
    Band->show();
  } else if (button == PointerRules.PanButton()) {
    PanFrom = at;
    PanRanges = Ranges();
  }
}

void LogChart::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  const Qt::MouseButtons held = event->buttons();
  if (PanFrom && held.testFlag(QtButtonOf(PointerRules.PanButton()))) {
    // The axes follow the pointer; the log then takes the new window.
    const ChartAxes axes = PixelAxes();
    const double timePerPixel =
        (axes.Time.Max - axes.Time.Min) / (axes.Time.PixelOfMax - axes.Time.PixelOfMin);
    const double valuePerPixel =
        (axes.Value.Max - axes.Value.Min) / (axes.Value.PixelOfMax - axes.Value.PixelOfMin);
    const double dt = (at.x() - PanFrom->x()) * timePerPixel;
    const double dv = (at.y() - PanFrom->y()) * valuePerPixel;
    xAxis->setRange(PanRanges.TimeMin - dt, PanRanges.TimeMax - dt);
    yAxis->setRange(PanRanges.ValueMin - dv, PanRanges.ValueMax - dv);
  }
  if (ZoomFrom && PointerRules.ZoomEnabled()) {
    Band->setGeometry(QRectF(*ZoomFrom, at).normalized().toRect());
  }
  const bool zoomHeld = held.testFlag(QtButtonOf(PointerRules.ZoomButton()));
  const auto outcome = PointerRules.MouseMove(AltHeld(event), held != Qt::NoButton, zoomHeld, at.x(), at.y(),
                                              PixelAxes(), Ranges(), ToggleAreaOfChart(width()));
  if (outcome.ToggleButtons) {
    ShowToggleButtons(*outcome.ToggleButtons);
  }
  if (outcome.HintChanged) {
    ShowHint(outcome.Hint);
  }
  if (PanFrom) {
    replot(rpQueuedReplot);
  }
}

void LogChart::FinishZoomDrag(QPointF end) {
  const QPointF from = *ZoomFrom;
  ZoomFrom.reset();
  Band->hide();
  const double dx = end.x() - from.x();
  const double dy = end.y() - from.y();
  if (dx > kZoomMinimumPixels && dy > kZoomMinimumPixels) {
    const LogAxisRanges ranges{xAxis->pixelToCoord(from.x()), xAxis->pixelToCoord(end.x()),
                               yAxis->pixelToCoord(end.y()), yAxis->pixelToCoord(from.y())};
    ShowAxes(ranges);
    PointerRules.ZoomDone(ranges);
  } else if (dx < -kZoomMinimumPixels && dy < -kZoomMinimumPixels) {
    PointerRules.ZoomUndone();
  }
}

void LogChart::mouseReleaseEvent(QMouseEvent* event) {
  if (ZoomFrom && ButtonOf(event->button()) == PointerRules.ZoomButton()) {
    FinishZoomDrag(event->position());
  }
  if (PanFrom && ButtonOf(event->button()) == PointerRules.PanButton()) {
    PanFrom.reset();
  }
  Band->hide();
  PointerRules.MouseUp();
}

void LogChart::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  ZoomFrom.reset();
  Band->hide();
  PointerRules.DoubleClick(at.x(), at.y(), PixelAxes());
}

std::int64_t LogChart::PlotColumns() const {
  const int columns = axisRect()->width();
  return columns > 0 ? columns : kDefaultPlotColumns;
}

void LogChart::resizeEvent(QResizeEvent* event) {
  QCustomPlot::resizeEvent(event);
  PlaceToggleButtons();
  // The lines follow the plot's new width in pixel columns.
  if (PlotColumns() != DrawnColumns) {
    DrawnColumns = PlotColumns();
    LogModel.RedrawIfData();
  }
}

}  // namespace orvel::ui
