#include "ui/charts/dashboard_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>
#include <vector>

#include "autotune/correction_decision.h"
#include "table/table.h"
#include "ui/charts/chart_style.h"

namespace orvel::ui {

namespace {

constexpr int kPoints = 256;
constexpr int kCorrEntries = 64;
constexpr double kLineTop = 255;
// A zoom rectangle smaller than this is a click.
constexpr int kLeastZoomPixels = 5;

const QColor kTab1Color{0xFF, 0x00, 0x00};
const QColor kIatColor{0x00, 0x00, 0xFF};
const QColor kEctColor{0xBF, 0x00, 0xBF};
const QColor kLearnedColor{0x00, 0x80, 0x00};
const QColor kBorderColor{0x00, 0x00, 0xFF};
const QColor kGrey{0x80, 0x80, 0x80};

void SetLine(QCPGraph* graph, double x0, double y0, double x1, double y1) {
  graph->data()->set(QVector<QCPGraphData>{{x0, y0}, {x1, y1}}, true);
}

}  // namespace

// The background starts in the idle state's colour.
DashboardChart::DashboardChart(QWidget* parent) : QCustomPlot(parent), Middle(ColorOf(kIdleColor)) {
  setObjectName(QStringLiteral("DashboardChart"));
  ApplyTableChartLook(*this, Middle);
  // The gradient is painted by paintEvent: a picture of it would be rescaled
  // at every change of the state colour.
  setBackground(QPixmap());
  setBackground(QBrush(Qt::NoBrush));
  legend->setVisible(true);
  QFont legendFont = legend->font();
  legendFont.setPointSize(8);
  legend->setFont(legendFont);
  legend->setBrush(QColor(255, 255, 255, 200));
  axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);

  struct Look {
    const char* Title;
    QColor Color;
    int Width;
    bool PointShown;
    bool InLegend;
    Qt::PenStyle Style;
  };
  const std::array<Look, SeriesCount> looks{{
      {"Tab1", kTab1Color, 2, false, true, Qt::SolidLine},
      {"IATCorr", kIatColor, 2, false, true, Qt::SolidLine},
      {"ECTCorr", kEctColor, 2, false, true, Qt::SolidLine},
      {"Learned", kLearnedColor, 2, false, true, Qt::SolidLine},
      {"MafBeg", kBorderColor, 1, false, true, Qt::SolidLine},
      {"MafEnd", kBorderColor, 1, false, true, Qt::SolidLine},
      {"ConvOut", kTab1Color, 1, true, true, Qt::SolidLine},
      {"IATCorr", kIatColor, 1, true, true, Qt::SolidLine},
      {"ECTCorr", kEctColor, 1, true, true, Qt::SolidLine},
      {"MaxMaf", Qt::black, 2, false, false, Qt::SolidLine},
      {"MaxMafAnyway", kGrey, 2, false, false, Qt::SolidLine},
      {"XCoursour", kGrey, 2, false, false, Qt::DashLine},
      {"YCoursour", kGrey, 2, false, false, Qt::DashLine},
  }};
  // What moves with the run on a buffered layer of its own above the table's
  // curves: a redraw that leaves the curves as they are replots that layer
  // alone. Nothing is drawn on the overlay layer (the zoom rectangle is a
  // widget), so it shares the axes' buffer: one buffer fewer to compose on
  // every paint.
  addLayer(QStringLiteral("live"), layer(QStringLiteral("main")), QCustomPlot::limAbove);
  LiveLayer = layer(QStringLiteral("live"));
  LiveLayer->setMode(QCPLayer::lmBuffered);
  layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
  for (std::size_t i = 0; i < looks.size(); ++i) {
    QCPGraph* graph = addGraph();
    graph->setName(QString::fromLatin1(looks[i].Title));
    graph->setPen(DataPen(looks[i].Color, looks[i].Width, looks[i].Style));
    graph->setAdaptiveSampling(false);
    if (looks[i].PointShown) {
      graph->setLineStyle(QCPGraph::lsNone);
      graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, looks[i].Color, looks[i].Color, 7));
    }
    if (!looks[i].InLegend) {
      graph->removeFromLegend();
    }
    if (i >= MafBegSeries) {
      graph->setLayer(LiveLayer);
    }
    Graphs[i] = graph;
  }
  ZoomBand = new QRubberBand(QRubberBand::Rectangle, this);
  setMouseTracking(true);
}

void DashboardChart::Bind(Table& table, DashboardChartGestures& gestures) {
  Bound = &table;
  Gestures = &gestures;
  table.BindDashboard(this);
}

void DashboardChart::ShowDashboard(const Table& table) {
  Bound = &table;
  MarkStale(Stale::Everything);
}

void DashboardChart::ShowFrame(const DashboardFrame& frame) {
  Live = frame.Points;
  HighestMaf = frame.HighestMaf;
  MarkStale(Stale::Live);
}

void DashboardChart::MarkStale(Stale part) {
  if (Pending == Stale::Nothing) {
    QMetaObject::invokeMethod(this, &DashboardChart::Refill, Qt::QueuedConnection);
  }
  Pending = std::max(Pending, part);
}

void DashboardChart::Refill() {
  const Stale part = std::exchange(Pending, Stale::Nothing);
  if (part == Stale::Nothing) {
    return;
  }
  ++RefillCount;
  bool curvesChanged = false;
  if (part == Stale::Everything && Bound != nullptr) {
    curvesChanged = FillCurves();
    FillWindow();
  }
  FillLive();
  FillCursor();
  Redraw(!curvesChanged);
}

bool DashboardChart::FillCurves() {
  const TableBlock& block = Bound->Tab1();
  if (CurvesDrawn && block.Entries == DrawnBlock.Entries && Bound->Trained() == DrawnTrained) {
    return false;
  }
  CurvesDrawn = true;
  DrawnBlock = block;
  DrawnTrained = Bound->Trained();
  QVector<QCPGraphData> out(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    out[i] = {double(i), double(block[i])};
  }
  Graphs[Tab1Series]->data()->set(out, true);
  QVector<QCPGraphData> iat(kCorrEntries);
  QVector<QCPGraphData> ect(kCorrEntries);
  for (int k = 0; k < kCorrEntries; ++k) {
    iat[k] = {4.0 * k, double(block.Entries[TableBlock::kIatCorr + k])};
    ect[k] = {4.0 * k, double(block.Entries[TableBlock::kEctCorr + k])};
  }
  Graphs[IatCorrSeries]->data()->set(iat, true);
  Graphs[EctCorrSeries]->data()->set(ect, true);
  if (Bound->ShowTrained()) {
    QVector<QCPGraphData> trained(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      trained[i] = {double(i), double(Bound->Trained()[static_cast<std::size_t>(i)])};
    }
    Graphs[LearnedSeries]->data()->set(trained, true);
  } else {
    Graphs[LearnedSeries]->data()->clear();
  }
  return true;
}

void DashboardChart::FillWindow() {
  const Table::DashboardState& dash = Bound->Dash();
  SetLine(Graphs[MafBegSeries], dash.MafBeg, 0, dash.MafBeg, kLineTop);
  SetLine(Graphs[MafEndSeries], dash.MafEnd, 0, dash.MafEnd, kLineTop);
  SetLine(Graphs[MaxMafSeries], Bound->MaxMaf(), 0, Bound->MaxMaf(), kLineTop);
}

void DashboardChart::FillLive() {
  Graphs[ConvOutSeries]->data()->set({{double(Live.Maf), double(Live.Out)}}, true);
  Graphs[IatPointSeries]->data()->set({{double(Live.Iat), double(Live.IatCorr)}}, true);
  Graphs[EctPointSeries]->data()->set({{double(Live.Ect), double(Live.EctCorr)}}, true);
  SetLine(Graphs[MaxMafAnywaySeries], HighestMaf, 0, HighestMaf, kLineTop);
}

void DashboardChart::FillCursor() {
  Cursor = Gestures != nullptr ? Gestures->Cursor() : CrossHair{};
  SetLine(Graphs[XCursorSeries], Cursor.X, 0, Cursor.X, Cursor.Y);
  SetLine(Graphs[YCursorSeries], 0, Cursor.Y, Cursor.X, Cursor.Y);
}

void DashboardChart::Redraw(bool liveOnly) {
  if (!isVisible()) {
    ReplotWhenShown = true;
    return;
  }
  if (liveOnly && !ReplotWhenShown) {
    LiveLayer->replot();
    return;
  }
  ReplotWhenShown = false;
  replot(QCustomPlot::rpRefreshHint);
}

void DashboardChart::showEvent(QShowEvent* event) {
  QCustomPlot::showEvent(event);
  if (ReplotWhenShown) {
    ReplotWhenShown = false;
    replot(QCustomPlot::rpQueuedReplot);
  }
}

void DashboardChart::SetStateColor(TColorRgb color) {
  const QColor middle = ColorOf(color);
  if (middle == Middle) {
    return;
  }
  Middle = middle;
  // The background is painted under the plot's buffers: no replot.
  update();
}

void DashboardChart::UndoZoom() {
  ResetTableChartRanges(*this);
  replot(QCustomPlot::rpQueuedReplot);
}

bool DashboardChart::Zoomed() const {
  return xAxis->range() != QCPRange(kChartBottomMin, kChartBottomMax) ||
         yAxis->range() != QCPRange(kChartLeftMin, kChartLeftMax);
}

ChartFrame DashboardChart::Frame() const {
  ChartFrame frame;
  frame.XMin = xAxis->range().lower;
  frame.XMax = xAxis->range().upper;
  frame.YMin = yAxis->range().lower;
  frame.YMax = yAxis->range().upper;
  frame.Left = xAxis->coordToPixel(frame.XMin);
  frame.Right = xAxis->coordToPixel(frame.XMax);
  frame.Bottom = yAxis->coordToPixel(frame.YMin);
  frame.Top = yAxis->coordToPixel(frame.YMax);
  return frame;
}

void DashboardChart::mousePressEvent(QMouseEvent* event) {
  if (Gestures == nullptr) {
    return;
  }
  const QPointF at = event->position();
  const PointerButton button =
      event->button() == Qt::RightButton ? PointerButton::Right : PointerButton::Left;
  if (Gestures->Press(Frame(), at.x(), at.y(), button)) {
    ZoomActive = true;
    ZoomOrigin = at.toPoint();
    ZoomBand->setGeometry(QRect(ZoomOrigin, QSize()));
    ZoomBand->show();
  }
}

void DashboardChart::mouseMoveEvent(QMouseEvent* event) {
  if (Gestures == nullptr) {
    return;
  }
  const QPointF at = event->position();
  if (ZoomActive) {
    ZoomBand->setGeometry(QRect(ZoomOrigin, at.toPoint()).normalized());
  }
  if (Gestures->Move(Frame(), at.x(), at.y(), (event->buttons() & Qt::LeftButton) != 0,
                     (event->buttons() & Qt::RightButton) != 0, ZoomActive)) {
    // The cross-hair alone: its two lines and the live layer.
    FillCursor();
    Redraw(true);
  }
}

void DashboardChart::mouseReleaseEvent(QMouseEvent* event) {
  if (Gestures == nullptr) {
    return;
  }
  Gestures->Release(event->position().y(), ZoomActive);
  if (!ZoomActive) {
    return;
  }
  ZoomActive = false;
  ZoomBand->hide();
  const QRect area = QRect(ZoomOrigin, event->position().toPoint()).normalized();
  if (area.width() < kLeastZoomPixels || area.height() < kLeastZoomPixels) {
    return;
  }
  xAxis->setRange(xAxis->pixelToCoord(area.left()), xAxis->pixelToCoord(area.right()));
  yAxis->setRange(yAxis->pixelToCoord(area.bottom()), yAxis->pixelToCoord(area.top()));
  replot(QCustomPlot::rpQueuedReplot);
}

void DashboardChart::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
  if (Gestures == nullptr) {
    return;
  }
  ZoomActive = false;
  ZoomBand->hide();
  Gestures->DoubleClick(Frame());
}

void DashboardChart::leaveEvent(QEvent* event) {
  if (Gestures != nullptr && !ZoomActive && Gestures->Leave()) {
    FillCursor();
    Redraw(true);
  }
  QCustomPlot::leaveEvent(event);
}

void DashboardChart::paintEvent(QPaintEvent* event) {
  // The background, the plot's buffers over it, then the boxes on top.
  {
    QPainter background(this);
    PaintGradientBackground(background, rect(), Middle);
  }
  QCustomPlot::paintEvent(event);
  if (!Cursor.Shown()) {
    return;
  }
  QPainter painter(this);
  const QPointF below(xAxis->coordToPixel(Cursor.X), yAxis->coordToPixel(yAxis->range().lower));
  const QPointF left(xAxis->coordToPixel(xAxis->range().lower), yAxis->coordToPixel(Cursor.Y));
  DrawValueBox(painter, QString::number(Cursor.X), below, Qt::AlignBottom);
  DrawValueBox(painter, QString::number(Cursor.Y), left, Qt::AlignLeft);
}

void DashboardChart::DrawValueBox(QPainter& painter, const QString& text, QPointF anchor,
                                  Qt::Alignment side) const {
  const QFontMetrics metrics(font());
  const QSizeF size(metrics.horizontalAdvance(text) + 6, metrics.height() + 2);
  QRectF box(QPointF(), size);
  if (side == Qt::AlignBottom) {
    box.moveCenter(QPointF(anchor.x(), anchor.y() + 2 + size.height() / 2));
  } else {
    box.moveCenter(QPointF(anchor.x() - 2 - size.width() / 2, anchor.y()));
  }
  painter.setPen(QPen(Qt::red));
  painter.setBrush(Qt::white);
  painter.drawRect(box);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace orvel::ui
