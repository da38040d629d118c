#include "autotune/dashboard_chart_gestures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orvel {

namespace {

constexpr int kLastPoint = 255;

bool Trained(const Table& table, int point) {
  return table.GetOut(point) == table.Trained()[static_cast<std::size_t>(point)];
}

bool IsPoint(int n) {
  return n >= 0 && n <= kLastPoint;
}

}  // namespace

int SnapToPoint(double x) {
  if (!(x >= 0)) {
    return 0;
  }
  if (x >= kLastPoint) {
    return kLastPoint;
  }
  const double below = std::floor(x);
  return static_cast<int>(x - below < 0.5 ? below : below + 1);
}

int NearestTrainedPoint(const Table& table, int e) {
  if (Trained(table, e)) {
    return e;
  }
  int after = kLastPoint + 1;
  for (int i = e; i <= kLastPoint; ++i) {
    if (Trained(table, i)) {
      after = i;
      break;
    }
  }
  int before = -1;
  for (int i = e; i >= 0; --i) {
    if (Trained(table, i)) {
      before = i;
      break;
    }
  }
  return (after + before) / 2 < e ? after : before;
}

CurvePoint NearestPoint(const Table& table, const ChartFrame& frame, double px, double py) {
  CurvePoint point;
  if (!frame.Inside(px, py)) {
    return point;
  }
  point.Inside = true;
  point.E = SnapToPoint(std::clamp(frame.DataX(px), 0.0, double{kLastPoint}));
  point.Y = static_cast<int>(std::nearbyint(frame.DataY(py)));
  point.Dy = frame.PixelY(table.GetOut(point.E)) - py;
  point.N = NearestTrainedPoint(table, point.E);
  return point;
}

void DashboardChartGestures::SendWindowPoint(int point, bool clearWindow) {
  TMsgWindowPoint message;
  message.ClearWindow = clearWindow ? 1 : 0;
  message.Point = point;
  Bus.Broadcast(message);
}

bool DashboardChartGestures::Press(const ChartFrame& frame, double px, double py, PointerButton button) {
  PressX = px;
  PressY = py;
  const CurvePoint point = NearestPoint(MainTable, frame, px, py);
  PressInside = point.Inside;
  Armed = point.Inside && std::abs(point.Dy) <= kArmPixels;
  if (point.Inside) {
    // Outside the plot there is no point to go to: the window stays.
    const bool snap = IsPoint(point.N) && std::abs(point.N - point.E) <= kSnapPoints;
    SendWindowPoint(snap ? point.N : point.E, false);
  }
  return !Armed && button == PointerButton::Left;
}

bool DashboardChartGestures::MoveCursor(CrossHair cursor) {
  if (cursor == Cross) {
    return false;
  }
  Cross = cursor;
  return true;
}

bool DashboardChartGestures::Leave() {
  return MoveCursor({});
}

bool DashboardChartGestures::Move(const ChartFrame& frame, double px, double py, bool leftHeld,
                                  bool rightHeld, bool zoomActive) {
  if (zoomActive || rightHeld) {
    return MoveCursor({});
  }
  const CurvePoint point = NearestPoint(MainTable, frame, px, py);
  if (!leftHeld) {
    LastMoveN = point.N;
  }
  if (!point.Inside) {
    return MoveCursor({});
  }
  const int n = point.N;
  if (Armed && leftHeld && IsPoint(n)) {
    if (std::abs(point.E - n) <= kDragPoints) {
      const int learnedBegin = MainTable.LearnedBegin();
      const int m = n < learnedBegin ? learnedBegin : n;
      MainTable.SetPoint(m, point.Y);
      MainTable.Trained()[static_cast<std::size_t>(m)] = MainTable.GetOut(m);
      if (n <= learnedBegin) {
        MainTable.SetBeginAsLearned(m, 0, false);
      }
    }
    MainTable.InterpolateByTrained(MainTable.InterpolateEnds(), n, MainTable.ToyotaMode());
  }
  if (std::abs(point.Dy) <= kArmPixels && IsPoint(n) && std::abs(n - point.E) <= kSnapPoints) {
    return MoveCursor({n, MainTable.GetOut(n)});
  }
  return MoveCursor({point.E, point.Y});
}

void DashboardChartGestures::Release(double py, bool zoomActive) {
  if (py != PressY && !zoomActive && Armed) {
    Host.SendToConverterRam();
  }
  Armed = false;
}

void DashboardChartGestures::DoubleClick(const ChartFrame& frame) {
  const CurvePoint point = NearestPoint(MainTable, frame, PressX, PressY);
  if (!point.Inside) {
    return;
  }
  const int l = point.E;
  auto& trained = MainTable.Trained()[static_cast<std::size_t>(l)];
  if (Trained(MainTable, l)) {
    trained = 0;
    SendWindowPoint(l, true);
  } else {
    trained = MainTable.GetOut(l);
    SendWindowPoint(l, false);
  }
  if (IsPoint(LastMoveN)) {
    MainTable.InterpolateByTrained(MainTable.InterpolateEnds(), LastMoveN, MainTable.ToyotaMode());
  }
  MainTable.Redraw();
}

}  // namespace orvel
