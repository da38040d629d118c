#pragma once

// The look every chart over a table's axes shares (table graph, comparison,
// dashboard): fixed axes 0…300 (bottom, "MAF,IAT,ECT") and −30…300 (left, its
// title is the caller's), black axes with 12-point titles, a dotted grid,
// four minor ticks per interval, no antialiasing, no built-in drag or zoom,
// and the background gradient white – middle colour – white.

#include <QColor>
#include <QPen>

#include "core/messages.h"
#include "table/chart_pointer.h"

class QCustomPlot;
class QPainter;
class QRect;

namespace orvel::ui {

inline constexpr double kChartBottomMin = kChartXMin;
inline constexpr double kChartBottomMax = kChartXMax;
inline constexpr double kChartLeftMin = kChartYMin;
inline constexpr double kChartLeftMax = kChartYMax;

inline const QColor kTableMiddleColor{0x66, 0x9D, 0xB5};
inline const QColor kCompareMiddleColor{0xED, 0xF0, 0x6C};

// Axes, ticks, grid, bottom title and background as the table charts have them.
void ApplyTableChartLook(QCustomPlot& chart, const QColor& middle);
// The background gradient white – `middle` – white.
void SetGradientBackground(QCustomPlot& chart, const QColor& middle);
// The same gradient painted over `area` row by row: about as cheap as
// copying a picture, with nothing to rescale when the middle colour changes
// (the dashboard's state colour changes many times a minute).
void PaintGradientBackground(QPainter& painter, const QRect& area, const QColor& middle);
// The axes back to their full ranges.
void ResetTableChartRanges(QCustomPlot& chart);
// A 1 px (or wider) cosmetic data pen.
QPen DataPen(const QColor& color, int width = 1, Qt::PenStyle style = Qt::SolidLine);
// A colour the models send as 0xRRGGBB.
QColor ColorOf(TColorRgb rgb);

}  // namespace orvel::ui
