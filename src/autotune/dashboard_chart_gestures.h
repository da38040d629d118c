#pragma once

// The dashboard chart's pointer rules as a model: how a pointer position maps
// to a table point, when a press arms a drag of a trained point, where the
// correction window goes (TMsgWindowPoint), how a drag edits and
// re-interpolates the trained curve, when a release sends the table, and how a
// double click toggles a point's trained state, and where the cross-hair
// stands. The chart widget reports its plot frame and the pointer in pixels;
// it draws the table from the table and the cross-hair from here, so a
// pointer move that edits nothing redraws the cross-hair alone.
//
// Threads: main thread only.

#include <cstdint>

#include "autotune/correction_window.h"
#include "core/orvel_broadcaster.h"
#include "table/table.h"

namespace orvel {

// The plot area in pixels and the axis ranges it shows. Pixel y grows
// downwards; the axes' minima sit at Left and Bottom.
struct ChartFrame {
  double Left = 0;
  double Top = 0;
  double Right = 1;
  double Bottom = 1;
  double XMin = 0;
  double XMax = 300;
  double YMin = -30;
  double YMax = 300;

  [[nodiscard]] bool Inside(double px, double py) const {
    return px >= Left && px <= Right && py >= Top && py <= Bottom;
  }
  [[nodiscard]] double DataX(double px) const { return XMin + (XMax - XMin) * (px - Left) / (Right - Left); }
  [[nodiscard]] double DataY(double py) const {
    return YMin + (YMax - YMin) * (Bottom - py) / (Bottom - Top);
  }
  [[nodiscard]] double PixelX(double x) const { return Left + (x - XMin) * (Right - Left) / (XMax - XMin); }
  [[nodiscard]] double PixelY(double y) const { return Bottom - (y - YMin) * (Bottom - Top) / (YMax - YMin); }
};

// A data x snapped to the nearest table point 0..255: x within [i, i + 0.5)
// goes to i, [i + 0.5, i + 1] to i + 1; below 0 to 0, beyond 255 to 255.
int SnapToPoint(double x);

// The trained point nearest to point e (a point is trained where its output
// equals its trained value): e itself, else the first trained point after it
// or the last one before it, whichever the midpoint rule picks; 256 or -1 when
// there is none on that side.
int NearestTrainedPoint(const Table& table, int e);

// What a pointer position means on the table curve (series 0).
struct CurvePoint {
  bool Inside = false;
  int E = 0;          // the snapped point
  int Y = 0;          // the pointer's data y, rounded
  double Dy = 10000;  // pixel offset of the pointer from the curve at E (positive above it)
  int N = 0;          // the trained point nearest to E
};
CurvePoint NearestPoint(const Table& table, const ChartFrame& frame, double px, double py);

enum class PointerButton { Left, Right };

// The cross-hair in data units: a vertical line from (X, 0) up to Y and a
// horizontal one from (0, Y) across to X. (0, 0) is no cross-hair.
struct CrossHair {
  int X = 0;
  int Y = 0;
  [[nodiscard]] bool Shown() const { return X != 0 || Y != 0; }
  bool operator==(const CrossHair&) const = default;
};

class DashboardChartGestures {
 public:
  // A drag is armed within this many pixels of the curve; a click snaps to a
  // trained point within this many points; a drag edits the trained point
  // while the pointer stays within this many points of it.
  static constexpr double kArmPixels = 14;
  static constexpr int kSnapPoints = 9;
  static constexpr int kDragPoints = 4;

  // `host` sends the table to the converter's working memory.
  DashboardChartGestures(Table& table, TOrvelBroadcaster& bus, CorrectionWindowHost& host)
      : MainTable(table), Bus(bus), Host(host) {}

  // A press: remembers it and moves the correction window onto the clicked
  // point (or the trained point near it). True when the chart's zoom
  // rectangle should start (no drag armed, left button).
  bool Press(const ChartFrame& frame, double px, double py, PointerButton button);
  // A move: the cross-hair, and the drag of a trained point while armed.
  // True when the cross-hair moved.
  bool Move(const ChartFrame& frame, double px, double py, bool leftHeld, bool rightHeld, bool zoomActive);
  // The pointer left the chart: the cross-hair goes. True when it was shown.
  bool Leave();
  // A release: a drag that changed the height sends the table.
  void Release(double py, bool zoomActive);
  // A double click at the last press: toggles the point's trained state.
  void DoubleClick(const ChartFrame& frame);

  [[nodiscard]] bool DragArmed() const { return Armed; }
  [[nodiscard]] CrossHair Cursor() const { return Cross; }

 private:
  void SendWindowPoint(int point, bool clearWindow);
  // True when `cursor` differs from the one shown.
  bool MoveCursor(CrossHair cursor);

  Table& MainTable;
  TOrvelBroadcaster& Bus;
  CorrectionWindowHost& Host;
  double PressX = 0;
  double PressY = 0;
  bool PressInside = false;
  bool Armed = false;
  int LastMoveN = 0;  // the nearest trained point of the last move
  CrossHair Cross;
};

}  // namespace orvel
