#include "ui/charts/chart_style.h"

#include <qcustomplot.h>
#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace orvel::ui {

namespace {

constexpr int kTitlePointSize = 12;
constexpr int kMajorTick = 10;
constexpr int kMinorTickLeft = 5;
constexpr int kMinorTickBottom = 3;

// Four minor ticks between major ones, whatever the label step.
class FourSubTicks final : public QCPAxisTicker {
 protected:
  int getSubTickCount(double /*tickStep*/) override { return 4; }
};

void StyleAxis(QCPAxis& axis, int tickInside, int subTickOutside) {
  axis.setTicker(QSharedPointer<QCPAxisTicker>(new FourSubTicks));
  axis.setBasePen(QPen(Qt::black));
  axis.setTickPen(QPen(Qt::black));
  axis.setSubTickPen(QPen(Qt::black));
  axis.setTickLabelColor(Qt::black);
  axis.setLabelColor(Qt::black);
  QFont titleFont = axis.labelFont();
  titleFont.setPointSize(kTitlePointSize);
  axis.setLabelFont(titleFont);
  axis.setTickLength(tickInside, kMajorTick);
  axis.setSubTickLength(0, subTickOutside);
  axis.grid()->setPen(QPen(QColor(0x80, 0x80, 0x80), 0, Qt::DotLine));
  axis.grid()->setSubGridVisible(false);
}

// A tall strip with the vertical gradient white – middle – white; the chart
// scales it to its size once per resize, so a replot only copies it.
QPixmap GradientStrip(const QColor& middle) {
  QPixmap strip(8, 512);
  QPainter painter(&strip);
  QLinearGradient gradient(0, 0, 0, strip.height());
  gradient.setColorAt(0.0, Qt::white);
  gradient.setColorAt(0.5, middle);
  gradient.setColorAt(1.0, Qt::white);
  painter.fillRect(strip.rect(), gradient);
  return strip;
}

}  // namespace

void ApplyTableChartLook(QCustomPlot& chart, const QColor& middle) {
  chart.setInteractions(QCP::Interactions());
  chart.setNotAntialiasedElements(QCP::aeAll);
  StyleAxis(*chart.xAxis, 0, kMinorTickBottom);
  StyleAxis(*chart.yAxis, kMajorTick, kMinorTickLeft);
  chart.xAxis->setLabel(QStringLiteral("MAF,IAT,ECT"));
  ResetTableChartRanges(chart);
  SetGradientBackground(chart, middle);
}

void SetGradientBackground(QCustomPlot& chart, const QColor& middle) {
  chart.axisRect()->setBackground(Qt::NoBrush);
  chart.setBackground(GradientStrip(middle), true, Qt::IgnoreAspectRatio);
}

void PaintGradientBackground(QPainter& painter, const QRect& area, const QColor& middle) {
  const int rows = area.height();
  for (int row = 0; row < rows; ++row) {
    // 0 at the top and bottom edges, 1 in the middle.
    const double fraction = (row + 0.5) / rows;
    const double weight = 1.0 - std::abs(2.0 * fraction - 1.0);
    const auto mix = [weight](int channel) {
      return static_cast<int>(std::lround(255 + (channel - 255) * weight));
    };
    painter.fillRect(QRect(area.left(), area.top() + row, area.width(), 1),
                     QColor(mix(middle.red()), mix(middle.green()), mix(middle.blue())));
  }
}

void ResetTableChartRanges(QCustomPlot& chart) {
  chart.xAxis->setRange(kChartBottomMin, kChartBottomMax);
  chart.yAxis->setRange(kChartLeftMin, kChartLeftMax);
}

QPen DataPen(const QColor& color, int width, Qt::PenStyle style) {
  QPen pen(color, width, style);
  pen.setCosmetic(true);
  return pen;
}

QColor ColorOf(TColorRgb rgb) {
  return {static_cast<int>((rgb >> 16U) & 0xFFU), static_cast<int>((rgb >> 8U) & 0xFFU),
          static_cast<int>(rgb & 0xFFU)};
}

}  // namespace orvel::ui
