#pragma once

// The log chart's pointer handling without a widget: which mouse button
// zooms and which pans, the grab test on the "Tab" line, editing the table by
// dragging and double-clicking, the value hints, panning, the series shown
// and when the toggle buttons appear. The chart widget turns its mouse
// events into these calls (positions in the chart's pixels) and shows what
// they return.
//
// Threads: main thread only.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "live/log.h"
#include "live/log_chart.h"
#include "live/log_learning.h"

namespace orvel {

enum class ChartButton { Left, Right, Other };

// A hint window: its text and its top-left corner in chart pixels.
struct ChartHint {
  std::string Text;
  double X = 0;
  double Y = 0;
};

// A drawn point a mouse position lies on.
struct SeriesHit {
  LogSeries Series = LogSeries::Maf;
  std::size_t Point = 0;
};

// The area of the toggle buttons: the first button's left edge and bottom.
struct ToggleButtonArea {
  double Left = 0;
  double FirstBottom = 0;
};

// The toggle buttons' geometry on the chart: 70 x 25 pixels, the left edge at
// the chart's width - 78, the top of button n at 8 + 33 n.
inline constexpr int kToggleButtonWidth = 70;
inline constexpr int kToggleButtonHeight = 25;
inline constexpr int kToggleButtonRightInset = 78;
inline constexpr int kToggleButtonTop = 8;
inline constexpr int kToggleButtonPitch = 33;
ToggleButtonArea ToggleAreaOfChart(int chartWidth);

// Shown (true), hidden (false) or unchanged: with no mouse button held the
// buttons appear while the pointer is at or right of their left edge and not
// below the first button, and go as soon as it is left of that edge.
std::optional<bool> ToggleButtonsShown(const ToggleButtonArea& area, double x, double y, bool buttonHeld);

// The last visible series (in series order) whose drawn line passes within a
// few pixels of (x, y), with the index of its nearer point.
std::optional<SeriesHit> SeriesUnderMouse(const LogChartData& data,
                                          const std::array<bool, kLogSeriesCount>& shown,
                                          const ChartAxes& axes, double x, double y);

// The vertical pixel distance from y to the "Tab" point nearest in time to x;
// 10 000 outside the plot area, with nothing drawn or no nearest point.
double TabLineDistance(const LogChartData& data, const ChartAxes& axes, double x, double y);

// The drawn "MAF" points, for chart editing.
std::vector<DrawnPoint> DrawnMafPointsOf(const LogChartData& data);

class LogChartEvents {
 public:
  // The grab distance and the hints' offsets from the mouse.
  static constexpr double kGrabPixels = 4;
  static constexpr double kHintLeft = 50;
  static constexpr double kDownHintUp = 50;
  static constexpr double kMoveHintUp = 80;
  static constexpr std::string_view kZoomCaption = "+/-";
  static constexpr std::string_view kMoveCaption = "\u2190/\u2192";

  LogChartEvents(Log& log, Table& mainTable);

  // --- Series shown; "TPS" starts hidden, the "MAF" point marks off. ---
  [[nodiscard]] bool SeriesShown(std::size_t series) const { return Shown.at(series); }
  [[nodiscard]] const std::array<bool, kLogSeriesCount>& ShownSeries() const { return Shown; }
  void SetSeriesShown(std::size_t series, bool shown) { Shown.at(series) = shown; }
  [[nodiscard]] bool MafPointMarks() const { return PointMarks; }
  void SetMafPointMarks(bool on) { PointMarks = on; }

  // --- The zoom/move button: swaps the roles of the two buttons. ---
  void ToggleMoveMode() { MoveMode = !MoveMode; }
  [[nodiscard]] bool InMoveMode() const { return MoveMode; }
  [[nodiscard]] std::string_view ZoomMoveCaption() const { return MoveMode ? kMoveCaption : kZoomCaption; }
  [[nodiscard]] ChartButton ZoomButton() const { return MoveMode ? ChartButton::Right : ChartButton::Left; }
  [[nodiscard]] ChartButton PanButton() const { return MoveMode ? ChartButton::Left : ChartButton::Right; }

  // --- Pointer events. Ignored while the log has no data, except MouseUp. ---

  struct DownOutcome {
    bool Handled = false;  // false: the log has no data
    // The hint to show; nothing switches it off.
    std::optional<ChartHint> Hint;
  };
  DownOutcome MouseDown(ChartButton button, bool alt, double x, double y, const ChartAxes& axes);
  // Zooming is allowed again.
  void MouseUp() { ZoomOn = true; }

  struct MoveOutcome {
    std::optional<bool> ToggleButtons;  // shown, hidden or unchanged
    bool Edited = false;                // the drag edited the table and redrew
    bool HintChanged = false;           // Hint holds the new hint, or nothing to switch it off
    std::optional<ChartHint> Hint;
    bool Panned = false;
  };
  // `buttonHeld`: any mouse button; `zoomButtonHeld`: the zooming one;
  // `ranges`: the axes as they stand (already moved by a pan).
  MoveOutcome MouseMove(bool alt, bool buttonHeld, bool zoomButtonHeld, double x, double y,
                        const ChartAxes& axes, const LogAxisRanges& ranges, const ToggleButtonArea& area);
  // Sets one table point from the chart; true when the table changed.
  bool DoubleClick(double x, double y, const ChartAxes& axes);

  // A zoom rectangle was drawn, or the drag toward the upper left undid it.
  void ZoomDone(const LogAxisRanges& ranges) { LogModel.ZoomDone(ranges); }
  bool ZoomUndone() { return LogModel.ZoomUndone(); }

  [[nodiscard]] bool Scrolling() const { return ScrollingFlag; }
  [[nodiscard]] bool Grabbed() const { return GrabFlag; }
  // Rubber-band zooming: off from a mouse-down with Alt or a grab until the
  // button is released.
  [[nodiscard]] bool ZoomEnabled() const { return ZoomOn; }

 private:
  // The hint of the series under the mouse, or nothing.
  [[nodiscard]] std::optional<SeriesHit> HitAt(double x, double y, const ChartAxes& axes) const;

  Log& LogModel;
  Table& MainTable;
  std::array<bool, kLogSeriesCount> Shown{};
  bool PointMarks = false;
  bool MoveMode = false;
  double DownX = 0;
  double DownY = 0;
  bool ScrollingFlag = false;
  bool GrabFlag = false;
  bool ZoomOn = true;
};

}  // namespace orvel
