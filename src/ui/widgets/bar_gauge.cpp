#include "ui/widgets/bar_gauge.h"

#include <QPainter>
#include <algorithm>

namespace orvel::ui {

BarGauge::BarGauge(int minimum, int maximum, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent),
      Min(minimum),
      Max(std::max(minimum + 1, maximum)),
      Position(minimum),
      Direction(orientation) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarGauge::SetValue(int value) {
  value = std::clamp(value, Min, Max);
  if (value != Position) {
    Position = value;
    update();
  }
}

void BarGauge::SetForeColor(const QColor& color) {
  if (color != Fore) {
    Fore = color;
    update();
  }
}

void BarGauge::SetBackColor(const QColor& color) {
  Back = color;
  update();
}

QSize BarGauge::sizeHint() const {
  return Direction == Qt::Vertical ? QSize(24, 120) : QSize(160, 18);
}

void BarGauge::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect area = rect();
  painter.fillRect(area, Back);
  const double share = static_cast<double>(Position - Min) / (Max - Min);
  if (Direction == Qt::Vertical) {
    const int height = static_cast<int>(area.height() * share);
    painter.fillRect(QRect(0, area.height() - height, area.width(), height), Fore);
  } else {
    painter.fillRect(QRect(0, 0, static_cast<int>(area.width() * share), area.height()), Fore);
  }
  painter.setPen(Qt::gray);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

}  // namespace orvel::ui
