#pragma once

#include <qcustomplot.h>

namespace orvel::ui {

// The points of a polyline without the inner points of its straight
// horizontal runs (and of vertical runs that go one way): the same pixels
// with fewer segments. The ends of every run and every NaN gap stay.
QVector<QPointF> WithoutStraightRunInteriors(const QVector<QPointF>& points);

// A log chart series, painted for speed the way a whole log looks:
// - drawn by pixel columns (two points per column, its lowest and highest
//   value), each column is one pixel-wide rectangle from its low to its
//   high, reaching over to the previous column's range as the zig-zag
//   through the points would; a ten-hour log's columns span tall ranges,
//   and filling them costs far less than stroking one line segment per pixel row;
// - otherwise, long stretches of one value (the intake and coolant
//   temperatures, the marker, a correction that does not move) are painted
//   as one segment instead of one per point;
// - a plain line over linear axes maps its points to pixels in one pass,
//   without the general graph's copy of the data and per-point axis calls.
class LogSeriesGraph final : public QCPGraph {
 public:
  LogSeriesGraph(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPGraph(keyAxis, valueAxis) {}

 protected:
  void draw(QCPPainter* painter) override;
  void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override;

 private:
  // The column rectangles for pairs of points at one x each; false, drawing
  // nothing, when the points are not such pairs.
  bool DrawColumns(QCPPainter* painter, const QVector<QPointF>& lines) const;
};

}  // namespace orvel::ui
