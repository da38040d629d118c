#include "ui/charts/log_series_graph.h"

#include <algorithm>
#include <cmath>

namespace orvel::ui {

namespace {

// Whether `middle` adds nothing to the segment from `before` to `after`.
bool InsideStraightRun(const QPointF& before, const QPointF& middle, const QPointF& after) {
  if (before.y() == middle.y() && middle.y() == after.y()) {
    return (before.x() <= middle.x() && middle.x() <= after.x()) ||
           (before.x() >= middle.x() && middle.x() >= after.x());
  }
  if (before.x() == middle.x() && middle.x() == after.x()) {
    return (before.y() <= middle.y() && middle.y() <= after.y()) ||
           (before.y() >= middle.y() && middle.y() >= after.y());
  }
  return false;
}

}  // namespace

QVector<QPointF> WithoutStraightRunInteriors(const QVector<QPointF>& points) {
  if (points.size() < 3) {
    return points;
  }
  QVector<QPointF> kept;
  kept.reserve(points.size());
  kept.append(points.front());
  for (qsizetype i = 1; i + 1 < points.size(); ++i) {
    // Compared with the last point kept, so a run of any length goes at once.
    if (!InsideStraightRun(kept.back(), points[i], points[i + 1])) {
      kept.append(points[i]);
    }
  }
  kept.append(points.back());
  return kept;
}

void LogSeriesGraph::draw(QCPPainter* painter) {
  const QCPAxis* keys = keyAxis();
  const QCPAxis* values = valueAxis();
  const bool plainLine = keys != nullptr && values != nullptr && keys->orientation() == Qt::Horizontal &&
                         keys->scaleType() == QCPAxis::stLinear && values->scaleType() == QCPAxis::stLinear &&
                         lineStyle() == lsLine && scatterStyle().isNone() && brush().style() == Qt::NoBrush &&
                         selection().isEmpty();
  if (!plainLine) {
    QCPGraph::draw(painter);
    return;
  }
  if (data()->isEmpty()) {
    return;
  }
  // Both axes are linear: a pixel is an origin plus a scale times the coordinate.
  const double keyOrigin = keys->coordToPixel(0);
  const double keyScale = keys->coordToPixel(1) - keyOrigin;
  const double valueOrigin = values->coordToPixel(0);
  const double valueScale = values->coordToPixel(1) - valueOrigin;
  QVector<QPointF> lines;
  lines.reserve(data()->size());
  for (auto point = data()->constBegin(); point != data()->constEnd(); ++point) {
    lines.append(QPointF(keyOrigin + keyScale * point->key, valueOrigin + valueScale * point->value));
  }
  painter->setPen(pen());
  painter->setBrush(Qt::NoBrush);
  drawLinePlot(painter, lines);
}

void LogSeriesGraph::drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const {
  if (!DrawColumns(painter, lines)) {
    QCPGraph::drawLinePlot(painter, WithoutStraightRunInteriors(lines));
  }
}

bool LogSeriesGraph::DrawColumns(QCPPainter* painter, const QVector<QPointF>& lines) const {
  if (lines.size() < 4 || lines.size() % 2 != 0 || pen().style() != Qt::SolidLine) {
    return false;
  }
  QVector<QRect> columns;
  columns.reserve(lines.size() / 2);
  int previousTop = 0;
  int previousBottom = 0;
  for (qsizetype i = 0; i < lines.size(); i += 2) {
    const QPointF& a = lines[i];
    const QPointF& b = lines[i + 1];
    if (a.x() != b.x() || std::isnan(a.y()) || std::isnan(b.y())) {
      return false;
    }
    const int top = qRound(std::min(a.y(), b.y()));
    const int bottom = qRound(std::max(a.y(), b.y()));
    // Reaching to the previous column's range joins the two as a line would.
    const int from = i == 0 ? top : std::min(top, previousBottom);
    const int to = i == 0 ? bottom : std::max(bottom, previousTop);
    columns.append(QRect(qRound(a.x()), from, 1, to - from + 1));
    previousTop = top;
    previousBottom = bottom;
  }
  // Whole-pixel rectangles: smoothing their edges would only cost time.
  painter->setAntialiasing(false);
  painter->setPen(Qt::NoPen);
  painter->setBrush(pen().color());
  painter->drawRects(columns);
  return true;
}

}  // namespace orvel::ui
