#include "ui/charts/log_series_graph.h"

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

void LogSeriesGraph::drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const {
  QCPGraph::drawLinePlot(painter, WithoutStraightRunInteriors(lines));
}

}  // namespace orvel::ui
