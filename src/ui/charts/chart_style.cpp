#include "ui/charts/chart_style.h"

#include <qcustomplot.h>

namespace orvel::ui {

namespace {

constexpr int kTitlePoints = 12;
constexpr int kMajorTick = 10;
constexpr int kMinorTickLeft = 5;
constexpr int kMinorTickBottom = 3;

void StyleAxis(QCPAxis& axis, const QString& title, int minorTick) {
  axis.setBasePen(QPen(Qt::black));
  axis.setTickPen(QPen(Qt::black));
  axis.setSubTickPen(QPen(Qt::black));
  axis.setTickLabelColor(Qt::black);
  axis.setLabelColor(Qt::black);
  QFont font = axis.labelFont();
  font.setPointSize(kTitlePoints);
  axis.setLabelFont(font);
  axis.setLabel(title);
  axis.setTickLengthOut(kMajorTick);
  axis.setSubTickLengthOut(minorTick);
  axis.grid()->setPen(QPen(Qt::gray, 0, Qt::DotLine));
  axis.grid()->setSubGridVisible(false);
}

}  // namespace

void SetUpTableChartAxes(QCustomPlot& plot, const QString& bottomTitle, const QString& leftTitle) {
  plot.setInteractions(QCP::Interactions());
  plot.setAntialiasedElements(QCP::aeNone);
  plot.setNotAntialiasedElements(QCP::aeAll);
  StyleAxis(*plot.xAxis, bottomTitle, kMinorTickBottom);
  StyleAxis(*plot.yAxis, leftTitle, kMinorTickLeft);
  plot.yAxis->setTickLengthIn(kMajorTick);
  ResetTableChartRanges(plot);
}

void ResetTableChartRanges(QCustomPlot& plot) {
  plot.xAxis->setRange(kChartBottomMin, kChartBottomMax);
  plot.yAxis->setRange(kChartLeftMin, kChartLeftMax);
}

void SetGradientBackground(QCustomPlot& plot, const QColor& middle) {
  QLinearGradient gradient(0, 0, 0, 1);
  gradient.setCoordinateMode(QGradient::ObjectMode);
  gradient.setColorAt(0, Qt::white);
  gradient.setColorAt(0.5, middle);
  gradient.setColorAt(1, Qt::white);
  plot.axisRect()->setBackground(QBrush(gradient));
}

QPen DataPen(const QColor& color, int width, Qt::PenStyle style) {
  QPen pen(color, width, style);
  pen.setCosmetic(true);
  return pen;
}

}  // namespace orvel::ui
