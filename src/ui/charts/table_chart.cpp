#include "ui/charts/table_chart.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

#include "table/table.h"
#include "ui/charts/chart_style.h"

namespace orvel::ui {

namespace {

constexpr int kLegendWidth = 70;
constexpr int kLegendHeight = 25;
constexpr int kLegendRightMargin = 8;
constexpr int kScatterSize = 4;

}  // namespace

TableChart::TableChart(bool secondTable, QWidget* parent)
    : QCustomPlot(parent),
      ButtonZoomMove(new QToolButton(this)),
      SecondTable(secondTable),
      LegendGroup(new QButtonGroup(this)),
      HintLabel(new QLabel(this)),
      ZoomBand(new QRubberBand(QRubberBand::Rectangle, this)) {
  setMinimumSize(400, 250);
  ApplyTableChartLook(*this, secondTable ? kCompareMiddleColor : kTableMiddleColor);
  yAxis->setLabel(QStringLiteral("Выход конв.,коррекции"));

  AddSeries(QStringLiteral("Tab1"), QColor(0xFF, 0x00, 0x00), true, 1);
  AddSeries(QStringLiteral("IATCorr"), QColor(0x00, 0x00, 0xFF), true, 1);
  AddSeries(QStringLiteral("ECTCorr"), QColor(0xBF, 0x00, 0xBF), true, 1);
  AddSeries(QStringLiteral("Trained"), QColor(0x00, 0x80, 0x00), true, 1);
  if (secondTable) {
    AddSeries(QStringLiteral("Tab2"), QColor(0x80, 0x00, 0x00), true, 1);
    AddSeries(QStringLiteral("IATCorr2"), QColor(0x00, 0x80, 0x80), true, 1);
    AddSeries(QStringLiteral("ECTCorr2"), QColor(0x84, 0x00, 0x84), true, 1);
  }
  AddSeries(QStringLiteral("MaxMaf"), Qt::black, false, 2);
  AddSeries(QStringLiteral("MaxMafAnyway"), QColor(0x80, 0x80, 0x80), false, 2);
  for (int number = 0; number < SeriesCount() - 2; ++number) {
    AddLegendButton(Series(number)->name(), number);
  }
  Legend.front()->setChecked(true);
  LegendGroup->setExclusive(true);
  connect(LegendGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked && Model != nullptr) {
      Model->SelectSeries(static_cast<EditSeries>(id));
    }
  });

  ButtonZoomMove->setText(QStringLiteral("+/-"));
  ButtonZoomMove->setObjectName(QStringLiteral("SpeedButtonZoomMove"));
  connect(ButtonZoomMove, &QToolButton::clicked, this, [this] {
    ZoomMouseButton = ZoomMouseButton == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
    ButtonZoomMove->setText(ZoomMouseButton == Qt::LeftButton ? QStringLiteral("+/-")
                                                              : QStringLiteral("←/→"));
  });
  AddChartButton(ButtonZoomMove);

  HintLabel->setObjectName(QStringLiteral("TableChartHint"));
  HintLabel->setStyleSheet(
      QStringLiteral("QLabel { background: #FFFFE1; color: black; border: 1px solid black; padding: 1px; }"));
  HintLabel->hide();
  setMouseTracking(true);
}

QCPGraph* TableChart::AddSeries(const QString& title, const QColor& color, bool points, int width) {
  QCPGraph* graph = addGraph();
  graph->setName(title);
  graph->setPen(QPen(color, width));
  graph->setAntialiased(false);
  graph->setAntialiasedScatters(false);
  if (points) {
    // The circle drawn once into a pixmap: copying it is much cheaper than
    // drawing hundreds of ellipses on every replot.
    QPixmap circle(kScatterSize + 2, kScatterSize + 2);
    circle.fill(Qt::transparent);
    QPainter painter(&circle);
    painter.setPen(QPen(color, 1));
    painter.drawEllipse(QRectF(0.5, 0.5, kScatterSize, kScatterSize));
    painter.end();
    graph->setScatterStyle(QCPScatterStyle(circle));
  }
  SeriesList.push_back(graph);
  return graph;
}

void TableChart::AddLegendButton(const QString& title, int number) {
  auto* button = new QToolButton(this);
  button->setText(title);
  button->setObjectName(QStringLiteral("LegendButton") + title);
  button->setCheckable(true);
  button->setAutoRaise(false);
  button->setFixedSize(kLegendWidth, kLegendHeight);
  button->setFocusPolicy(Qt::NoFocus);
  LegendGroup->addButton(button, number);
  Legend.push_back(button);
  // The second table's buttons follow the first three directly, taking the
  // place of the hidden "Trained" button.
  LegendTops.push_back(number >= 4 ? 33 * number - 25 : 8 + 33 * number);
}

void TableChart::Attach(Table& table, bool showTrained) {
  Model = &table;
  TrainedShown = showTrained;
  Series(3)->setVisible(showTrained);
  Legend[3]->setVisible(showTrained);
  Model->SelectSeries(static_cast<EditSeries>(std::max(LegendGroup->checkedId(), 0)));
}

void TableChart::AddChartButton(QToolButton* button) {
  button->setParent(this);
  button->setFocusPolicy(Qt::NoFocus);
  button->setFixedHeight(kLegendHeight);
  button->setMinimumWidth(44);
  ChartButtons.push_back(button);
  PlaceOverlays();
}

void TableChart::PlaceOverlays() {
  for (std::size_t i = 0; i < Legend.size(); ++i) {
    Legend[i]->move(width() - kLegendRightMargin - kLegendWidth, LegendTops[i]);
  }
  // The chart's own buttons in a row at the top left, over the plot's corner.
  int x = axisRect()->left() + 4;
  for (QToolButton* button : ChartButtons) {
    button->adjustSize();
    button->move(x, 4);
    x += std::max(button->width(), 44) + 4;
  }
}

void TableChart::resizeEvent(QResizeEvent* event) {
  QCustomPlot::resizeEvent(event);
  PlaceOverlays();
}

void TableChart::showEvent(QShowEvent* event) {
  QCustomPlot::showEvent(event);
  // The run's highest MAF reaches the table every tick without a redraw;
  // the chart shows the value of the moment it comes into view.
  if (Model != nullptr) {
    ShowTable(*Model);
  }
}

void TableChart::ShowTable(const Table& table) {
  const auto fillOut = [](QCPGraph* graph, const TableBlock& block) {
    QVector<QCPGraphData> points(static_cast<int>(TableBlock::kOutCount));
    for (int i = 0; i < points.size(); ++i) {
      points[i] = QCPGraphData(i, block[static_cast<std::size_t>(i)]);
    }
    graph->data()->set(points, true);
  };
  const auto fillCorr = [](QCPGraph* graph, const TableBlock& block, std::size_t first) {
    QVector<QCPGraphData> points(static_cast<int>(TableBlock::kCorrCount));
    for (int k = 0; k < points.size(); ++k) {
      points[k] = QCPGraphData(4 * k, block[first + static_cast<std::size_t>(k)]);
    }
    graph->data()->set(points, true);
  };
  const auto fillLine = [](QCPGraph* graph, int x) {
    graph->data()->set(QVector<QCPGraphData>{QCPGraphData(x, 0), QCPGraphData(x, 255)}, true);
  };

  fillOut(Series(0), table.Tab1());
  fillCorr(Series(1), table.Tab1(), TableBlock::kIatCorr);
  fillCorr(Series(2), table.Tab1(), TableBlock::kEctCorr);
  if (TrainedShown) {
    QVector<QCPGraphData> points(static_cast<int>(TableBlock::kOutCount));
    for (int i = 0; i < points.size(); ++i) {
      points[i] = QCPGraphData(i, table.Trained()[static_cast<std::size_t>(i)]);
    }
    Series(3)->data()->set(points, true);
  } else {
    Series(3)->data()->clear();
  }
  int next = 4;
  if (SecondTable) {
    fillOut(Series(4), table.Tab2());
    fillCorr(Series(5), table.Tab2(), TableBlock::kIatCorr);
    fillCorr(Series(6), table.Tab2(), TableBlock::kEctCorr);
    next = 7;
  }
  fillLine(Series(next), table.MaxMaf());
  fillLine(Series(next + 1), table.MaxMafAnyway());
  replot(QCustomPlot::rpQueuedReplot);
}

PlotArea TableChart::Area() const {
  const QCPRange x = xAxis->range();
  const QCPRange y = yAxis->range();
  return PlotArea{xAxis->coordToPixel(x.lower),
                  xAxis->coordToPixel(x.upper),
                  yAxis->coordToPixel(y.upper),
                  yAxis->coordToPixel(y.lower),
                  x.lower,
                  x.upper,
                  y.lower,
                  y.upper};
}

void TableChart::UndoZoom() {
  ResetTableChartRanges(*this);
  replot(QCustomPlot::rpQueuedReplot);
}

bool TableChart::AltHeld(const QMouseEvent* event) const {
  return AltLatched || event->modifiers().testFlag(Qt::AltModifier) ||
         QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
}

Qt::MouseButton TableChart::PanButton() const {
  return ZoomMouseButton == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
}

void TableChart::SetLegendShown(bool shown) {
  if (shown == LegendShown) {
    return;
  }
  LegendShown = shown;
  for (std::size_t i = 0; i < Legend.size(); ++i) {
    Legend[i]->setVisible(shown && (i != 3 || TrainedShown));
  }
}

void TableChart::ShowHintAt(const QString& text, QPoint pointer) {
  HintLabel->setText(text);
  HintLabel->adjustSize();
  HintLabel->move(std::max(0, pointer.x() - kHintOffsetPixels), std::max(0, pointer.y() - kHintOffsetPixels));
  HintLabel->show();
  HintLabel->raise();
}

void TableChart::ShowPointHint(QPoint pointer) {
  if (Model == nullptr) {
    return;
  }
  const auto under = PointUnderPointer(*Model, SecondTable, Area(), pointer.x(), pointer.y());
  if (!under) {
    HintLabel->hide();
    return;
  }
  ShowHintAt(QString::fromStdString(PointHintText(under->Series, under->X, under->Y)), pointer);
}

void TableChart::ShowEditHint(EditSeries series, int x, int value) {
  ShowHintAt(QString::fromStdString(EditHintText(series, x, value)), LastPointer);
}

void TableChart::EditAt(QPoint pointer) {
  if (Model == nullptr) {
    return;
  }
  if (const auto point = PointerToData(Area(), pointer.x(), pointer.y())) {
    LastPointer = pointer;
    Model->SetPoint(point->X, point->Y);
  }
}

void TableChart::mousePressEvent(QMouseEvent* event) {
  const QPoint pointer = event->position().toPoint();
  PressPoint = pointer;
  LastPointer = pointer;
  Armed = Model != nullptr &&
          ArmsDrag(NearestPoint(*Model, Model->SelectedSeries(), Area(), pointer.x(), pointer.y()));
  const bool zoomOn = !(AltHeld(event) || Armed);
  if (zoomOn && event->button() == ZoomMouseButton) {
    Zooming = true;
    ZoomBand->setGeometry(QRect(pointer, QSize()));
    ZoomBand->show();
  } else if (zoomOn && event->button() == PanButton()) {
    Panning = true;
    PanXRange = xAxis->range();
    PanYRange = yAxis->range();
  }
  ShowPointHint(pointer);
}

void TableChart::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pointer = event->position().toPoint();
  LastPointer = pointer;
  if (event->buttons() == Qt::NoButton) {
    const QToolButton* first = Legend.front();
    if (const auto wanted =
            LegendButtonsWanted(pointer.x(), pointer.y(), first->x(), first->y() + first->height())) {
      SetLegendShown(*wanted);
    }
  }
  if ((AltHeld(event) || Armed) && event->buttons().testFlag(ZoomMouseButton)) {
    EditAt(pointer);
    return;
  }
  if (Zooming) {
    ZoomBand->setGeometry(QRect(PressPoint, pointer).normalized());
  } else if (Panning) {
    const PlotArea area = Area();
    const double dx = (pointer.x() - PressPoint.x()) * (area.XMax - area.XMin) / (area.Right - area.Left);
    const double dy = (pointer.y() - PressPoint.y()) * (area.YMax - area.YMin) / (area.Bottom - area.Top);
    xAxis->setRange(PanXRange.lower - dx, PanXRange.upper - dx);
    yAxis->setRange(PanYRange.lower + dy, PanYRange.upper + dy);
    replot(QCustomPlot::rpQueuedReplot);
  }
  ShowPointHint(pointer);
}

void TableChart::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pointer = event->position().toPoint();
  if (Zooming) {
    Zooming = false;
    ZoomBand->hide();
    // Dragged down and to the right: zoom into the rectangle; dragged to the
    // left or up: back to the whole table.
    if (pointer.x() > PressPoint.x() + 2 && pointer.y() > PressPoint.y() + 2) {
      xAxis->setRange(xAxis->pixelToCoord(PressPoint.x()), xAxis->pixelToCoord(pointer.x()));
      yAxis->setRange(yAxis->pixelToCoord(pointer.y()), yAxis->pixelToCoord(PressPoint.y()));
      replot(QCustomPlot::rpQueuedReplot);
    } else if (pointer.x() < PressPoint.x() - 2 || pointer.y() < PressPoint.y() - 2) {
      UndoZoom();
    }
  }
  Panning = false;
  Armed = false;
  HintLabel->hide();
}

void TableChart::mouseDoubleClickEvent(QMouseEvent* event) {
  PressPoint = event->position().toPoint();
  EditAt(PressPoint);
}

}  // namespace orvel::ui
