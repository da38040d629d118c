#include "ui/keys/key_arrows.h"

#include <algorithm>
#include <array>
#include <string>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "core/key_selection.h"
#include "live/log_learning_controls.h"
#include "table/parameters.h"
#include "table/table.h"

namespace orvel::ui {

namespace {

constexpr std::int32_t kLastPoint = 255;
constexpr std::int32_t kLargestDelta = 255;
// SetCorrectionWindow's reason that tells the converter nothing: the keys
// move the window on the table while they repeat, the sliders (which do tell
// the converter) follow when the key comes up.
constexpr int kWindowShownOnly = 0;

enum DashParameter : std::int32_t {
  kO2Reference = 2,
  kNothing = 3,
  kAveragingB = 4,
  kAveragingT = 5,
  kDelta = 10,
  kMafBeginning = 11,
  kMafEnd = 12,
};

struct TableSlider {
  PanelField Field;
  std::int32_t Min;
  std::int32_t Max;
};

// TrackBarMafSm, TrackBarTpsSm, TrackBarRpmSm, TrackBarMafTime,
// TrackBarMafPorog, TrackBarEnrichment, TrackBarEnleanment.
constexpr std::array<TableSlider, KeySelection::kTableSliders> kTableSliders{{
    {PanelField::SmoothMaf, 0, 100},
    {PanelField::SmoothTps, 0, 100},
    {PanelField::SmoothRpm, 0, 100},
    {PanelField::MafTime, 4, 150},
    {PanelField::Threshold, 5, 100},
    {PanelField::Enrichment, 0, 100},
    {PanelField::Enleanment, 0, 100},
}};

// Sets current + step when that stays within min…max and differs.
template <typename Setter>
void StepWithin(std::int32_t current, std::int32_t step, std::int32_t min, std::int32_t max, Setter set) {
  const std::int32_t next = std::clamp(current + step, min, max);
  if (next != current) {
    set(next);
  }
}

bool IsLeftOrUp(const KeyStroke& stroke) {
  return stroke.Key == KeyCode::Left || stroke.Key == KeyCode::Up;
}

}  // namespace

void StepTableSlider(KeyContext& context, int functionKey, int step) {
  if (functionKey < 1 || functionKey > KeySelection::kTableSliders) {
    return;
  }
  const TableSlider& slider = kTableSliders[static_cast<std::size_t>(functionKey - 1)];
  ParameterPanel& panel = context.Models.MainTable.BoundPanel(1);
  // The slider stands within its range whatever its field says.
  const std::int32_t current = std::clamp(PanelNumber(panel.FieldText(slider.Field)), slider.Min, slider.Max);
  StepWithin(current, step, slider.Min, slider.Max,
             [&](std::int32_t value) { panel.SetFieldText(slider.Field, std::to_string(value)); });
}

void DashboardLeftRight(KeyContext& context, const KeyStroke& stroke) {
  const bool left = stroke.Key == KeyCode::Left;
  if (left && (context.Window.CorrectionFieldFocused() || context.Window.DeltaFieldFocused())) {
    return;
  }
  const int step = left ? -1 : 1;
  CorrectionWindowModel& window = context.Models.Correction;
  switch (context.Models.Selection.DashParam()) {
    case kMafBeginning:
      window.SetMafBeg(window.MafBeg() + step);
      return;
    case kMafEnd:
      window.SetMafEnd(window.MafEnd() + step);
      return;
    default:
      break;
  }
  Table& table = context.Models.MainTable;
  if (stroke.Ctrl) {
    window.SetMafBeg(table.FindTrainedPoint(window.MafBeg(), !left, false));
    window.SetMafEnd(window.MafBeg());
    return;
  }
  const Table::DashboardState& dash = table.Dash();
  std::int32_t beginning = dash.MafBeg;
  std::int32_t end = dash.MafEnd;
  if (left) {
    if (beginning > 0) {
      --beginning;
    }
    if (!stroke.Shift && beginning != 0) {
      end = beginning;
    }
  } else if (stroke.Shift) {
    if (end < kLastPoint) {
      ++end;
    }
  } else {
    if (beginning < kLastPoint) {
      ++beginning;
    }
    end = beginning;
  }
  table.SetCorrectionWindow(dash.Correction, beginning, end, kWindowShownOnly);
  table.Redraw();
}

void DashboardBordersFromTable(KeyContext& context) {
  const Table::DashboardState& dash = context.Models.MainTable.Dash();
  const std::int32_t beginning = dash.MafBeg;
  const std::int32_t end = dash.MafEnd;
  context.Models.Correction.SetMafBeg(beginning);
  context.Models.Correction.SetMafEnd(end);
}

void DashboardUpDown(KeyContext& context, const KeyStroke& stroke) {
  const int step = IsLeftOrUp(stroke) ? 1 : -1;
  CorrectionWindowModel& window = context.Models.Correction;
  O2ReferenceModel& reference = context.Models.Reference;
  switch (context.Models.Selection.DashParam()) {
    case kO2Reference:
      // The slider is upside down: Up lowers its position, raising the value.
      reference.SetRefO2Position(reference.RefO2().Position - step);
      return;
    case kNothing:
      return;
    case kAveragingB:
      StepWithin(window.AvgB(), step, kMinAvgB, kMaxAveraging, [&](std::int32_t v) { window.SetAvgB(v); });
      return;
    case kAveragingT:
      StepWithin(window.AvgT(), step, kMinAvgT, kMaxAveraging, [&](std::int32_t v) { window.SetAvgT(v); });
      return;
    case kDelta:
      StepWithin(window.PulsLimit(), step, 0, kLargestDelta, [&](std::int32_t v) { window.SetPulsLimit(v); });
      return;
    case kMafBeginning:
    case kMafEnd:
      window.StepCorrection(step);
      return;
    default:
      context.Models.Selection.ShowDashF1();
      window.ArrowCorrection(step);
      return;
  }
}

void TableLeftRight(KeyContext& context, const KeyStroke& stroke) {
  StepTableSlider(context, context.Models.Selection.TableParam(), stroke.Key == KeyCode::Left ? -1 : 1);
}

void TableUpDown(KeyContext& context, const KeyStroke& stroke) {
  const int step = stroke.Key == KeyCode::Up ? 1 : -1;
  KeySelection& selection = context.Models.Selection;
  const std::int32_t selected = selection.TableParam();
  if (selected >= 2 && selected <= KeySelection::kTableSliders) {
    StepTableSlider(context, selected, step);
    return;
  }
  selection.ShowTableF1();
  StepTableSlider(context, 1, step);
}

void LogUpDown(KeyContext& context, const KeyStroke& stroke) {
  // Positions of upside-down sliders: Up lowers the position.
  const int step = stroke.Key == KeyCode::Up ? -1 : 1;
  LogLearningControls& learning = context.Models.Learning;
  O2ReferenceModel& reference = context.Models.Reference;
  const auto stepMafLimit = [&] {
    if (!learning.MafLimitLocked()) {
      learning.SetMafLimitPosition(learning.MafLimitPosition() + step);
    }
  };
  if (context.Models.Selection.LogParam() == 2) {
    stepMafLimit();
  } else if (stroke.Ctrl && !stroke.Shift) {
    reference.SetRefO2Position(reference.RefO2().Position + step);
  } else if (stroke.Shift && !stroke.Ctrl) {
    stepMafLimit();
  } else {
    reference.SetLogO2TargetPosition(reference.LogO2Target().Position + step);
  }
}

}  // namespace orvel::ui
