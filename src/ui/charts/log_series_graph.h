#pragma once

#include <qcustomplot.h>

namespace orvel::ui {

// The points of a polyline without the inner points of its straight
// horizontal runs (and of vertical runs that go one way): the same pixels
// with fewer segments. The ends of every run and every NaN gap stay.
QVector<QPointF> WithoutStraightRunInteriors(const QVector<QPointF>& points);

// A log chart series. Long stretches of a log hold one value (the intake and
// coolant temperatures, the marker, a correction that does not move), and a
// ten-hour log drawn by pixel columns has two points per column: the series
// paints such a stretch as one segment instead of one per point, which is
// most of what painting a whole log costs.
class LogSeriesGraph final : public QCPGraph {
 public:
  LogSeriesGraph(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPGraph(keyAxis, valueAxis) {}

 protected:
  void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override;
};

}  // namespace orvel::ui
