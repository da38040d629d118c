#pragma once

namespace orvel {

class Table;

// The series of a table chart that editing can change; the chart's legend
// buttons select one of them (Table::SelectSeries).
enum class EditSeries { Tab1, IATCorr, ECTCorr, Trained, Tab2, IATCorr2, ECTCorr2 };

// The table chart (and the comparison chart). The widget refills its series
// from the table and shows the hint of an edited point.
class TableGraphView {
 public:
  virtual ~TableGraphView() = default;
  virtual void ShowTable(const Table& table) = 0;
  // x is the edited point's x on the chart (4k for correction entry k).
  virtual void ShowEditHint(EditSeries series, int x, int value) = 0;

 protected:
  TableGraphView() = default;
  TableGraphView(const TableGraphView&) = default;
  TableGraphView& operator=(const TableGraphView&) = default;
};

// The dashboard chart as the table sees it: told whenever the table's curve,
// corrections, trained points, correction window or MAF limit changed. The
// live sample and the run's highest MAF reach the chart with the dashboard's
// tick instead.
class DashboardChartView {
 public:
  virtual ~DashboardChartView() = default;
  virtual void ShowDashboard(const Table& table) = 0;

 protected:
  DashboardChartView() = default;
  DashboardChartView(const DashboardChartView&) = default;
  DashboardChartView& operator=(const DashboardChartView&) = default;
};

// Whether Shift and Ctrl count as held right now: the keyboard, or the
// window's on-screen latches.
class ModifierState {
 public:
  virtual ~ModifierState() = default;
  [[nodiscard]] virtual bool ShiftHeld() const = 0;
  [[nodiscard]] virtual bool CtrlHeld() const = 0;

 protected:
  ModifierState() = default;
  ModifierState(const ModifierState&) = default;
  ModifierState& operator=(const ModifierState&) = default;
};

// Modifiers that are whatever was last set: headless callers and tests.
class LatchedModifiers final : public ModifierState {
 public:
  [[nodiscard]] bool ShiftHeld() const override { return Shift; }
  [[nodiscard]] bool CtrlHeld() const override { return Ctrl; }
  bool Shift = false;
  bool Ctrl = false;
};

// Tells the converter about a change of the dashboard correction window
// (reason 1: the correction changed, reason 2: the window changed). The
// serial link implements it and sends nothing while it is not connected.
class CorrectionWindowLink {
 public:
  virtual ~CorrectionWindowLink() = default;
  virtual void TellCorrectionWindow(int correction, int beg, int end, int reason) = 0;

 protected:
  CorrectionWindowLink() = default;
  CorrectionWindowLink(const CorrectionWindowLink&) = default;
  CorrectionWindowLink& operator=(const CorrectionWindowLink&) = default;
};

}  // namespace orvel
