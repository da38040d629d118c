#pragma once

// The look the table charts share: fixed axes -30..300 (left) and 0..300
// (bottom) with black lines, 12-point titles and a dotted grid, and a
// vertical white - colour - white background gradient. Data pens are 1 px
// cosmetic pens without antialiasing unless a series is drawn wider.

#include <QColor>
#include <QPen>
#include <QString>

class QCustomPlot;

namespace orvel::ui {

inline constexpr double kChartLeftMin = -30;
inline constexpr double kChartLeftMax = 300;
inline constexpr double kChartBottomMin = 0;
inline constexpr double kChartBottomMax = 300;

// Axes, ticks, grid and titles as the table charts have them; the chart's own
// drag and zoom interactions stay off.
void SetUpTableChartAxes(QCustomPlot& plot, const QString& bottomTitle, const QString& leftTitle);
// The axes back to their full ranges.
void ResetTableChartRanges(QCustomPlot& plot);
// The plot area's background: white at the top and bottom, `middle` between.
void SetGradientBackground(QCustomPlot& plot, const QColor& middle);
// A data pen.
QPen DataPen(const QColor& color, int width = 1, Qt::PenStyle style = Qt::SolidLine);

}  // namespace orvel::ui
