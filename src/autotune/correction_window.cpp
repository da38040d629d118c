#include "autotune/correction_window.h"

#include <algorithm>

#include "core/number_format.h"

namespace orvel {

namespace {

constexpr std::int32_t kLastPoint = 255;
constexpr int kCorrectionReason = 1;
constexpr int kWindowReason = 2;
// ApplyWindowCorrection: every point of the window, or its middle point only.
constexpr int kWholeWindow = 3;
constexpr int kMiddlePoint = 1;
// The "Corr" panel moves the correction one unit per 10 pixels, the border
// slider the window one point per 5 pixels.
constexpr int kPanelPixelsPerUnit = 10;
constexpr int kSliderPixelsPerPoint = 5;

std::int32_t HeldPoint(std::int32_t value) {
  return std::clamp(value, 0, kLastPoint);
}

// An averaging time in tenths of a second as the label shows it: "0.10s".
std::string TimeText(std::int32_t value, NumberFormat format) {
  return FormatFixed(value / 100.0, 2, format) + "s";
}

}  // namespace

CorrectionWindowModel::CorrectionWindowModel(Table& mainTable, Table* compareTable,
                                             DecisionSettings& decisionSettings, CorrectionWindowHost& host,
                                             const O2ReferenceModel& reference, NumberFormat format)
    : MainTable(mainTable),
      CompareTable(compareTable),
      Settings(decisionSettings),
      Host(host),
      Reference(reference),
      Format(format) {
  // A sensor change ends with the reference's change too.
  ReferenceFollow = reference.RefO2Changed.Subscribe([this] {
    Settings.O2Ref = Reference.O2Ref();
    Changed();
  });
  Settings.O2Ref = Reference.O2Ref();
}

void CorrectionWindowModel::BindView(CorrectionWindowView* view) {
  View = view;
  Changed();
}

std::string CorrectionWindowModel::BTimeText() const {
  return TimeText(AvgBValue, Format);
}

std::string CorrectionWindowModel::TTimeText() const {
  return TimeText(AvgTValue, Format);
}

std::string CorrectionWindowModel::OutputExtremeText() const {
  // F9 may have changed since the run started; the label follows it.
  DashboardExtremes shown = Extremes;
  shown.ToyotaMode = ToyotaOn;
  return shown.OutputText();
}

void CorrectionWindowModel::Changed() {
  if (View != nullptr) {
    View->ShowCorrectionWindow(*this);
  }
}

void CorrectionWindowModel::ShowColor(TColorRgb color, bool playCue) {
  Color = color;
  if (View != nullptr) {
    View->ShowStateColor(color, playCue);
  }
}

void CorrectionWindowModel::TellBorders() {
  MainTable.SetCorrectionWindow(CorrectionValue, Beginning, End, kWindowReason);
  Changed();
}

void CorrectionWindowModel::SetMafBeg(std::int32_t value) {
  value = HeldPoint(value);
  if (value == Beginning) {
    return;
  }
  Beginning = value;
  End = std::max(End, Beginning);
  TellBorders();
}

void CorrectionWindowModel::SetMafEnd(std::int32_t value) {
  value = HeldPoint(value);
  if (value == End) {
    return;
  }
  End = value;
  Beginning = std::min(Beginning, End);
  TellBorders();
}

void CorrectionWindowModel::MoveWindowTo(std::int32_t point) {
  SetMafBeg(point);
  SetMafEnd(Beginning);
}

void CorrectionWindowModel::SetCorrection(std::int32_t value) {
  value = std::clamp(value, -kCorrectionLimit, kCorrectionLimit);
  if (value == CorrectionValue) {
    return;
  }
  CorrectionValue = value;
  Host.SetLogCorrValue(CorrectionValue);
  MainTable.SetCorrectionWindow(CorrectionValue, Beginning, End, kCorrectionReason);
  Changed();
  CorrectionChanged.Emit();
}

// The correction back to 0, and the log told so even when it already was.
void CorrectionWindowModel::ResetCorrection() {
  SetCorrection(0);
  Host.SetLogCorrValue(0);
}

void CorrectionWindowModel::SetPulsLimit(std::int32_t value) {
  const std::int32_t before = Delta;
  Delta = HeldPoint(value);
  Settings.PulsLimit = Delta;
  Changed();
  if (Delta != before) {
    PulsLimitChanged.Emit();
  }
}

void CorrectionWindowModel::SetAvgB(std::int32_t value) {
  AvgBValue = std::clamp(value, kMinAvgB, kMaxAveraging);
  Settings.SetAveraging(AvgBValue, AvgTValue);
  Changed();
}

void CorrectionWindowModel::SetAvgT(std::int32_t value) {
  AvgTValue = std::clamp(value, kMinAvgT, kMaxAveraging);
  Settings.SetAveraging(AvgBValue, AvgTValue);
  Changed();
}

void CorrectionWindowModel::SetForcedIdle(std::int32_t rpm, std::int32_t tps) {
  IdleRpm = rpm;
  IdleTps = tps;
}

void CorrectionWindowModel::CopySettings() {
  Settings.PulsLimit = Delta;
  Settings.ToyotaMode = ToyotaOn;
  Settings.Autocorrection = AutocorrectionOn;
  Settings.ForcedIdleRpm = IdleRpm;
  Settings.ForcedIdleTps = IdleTps;
  Settings.SetAveraging(AvgBValue, AvgTValue);
  Settings.O2Ref = Reference.O2Ref();
  Settings.SensorType = Reference.SensorType();
}

void CorrectionWindowModel::SetAutocorrection(bool on) {
  AutocorrectionOn = on;
  if (on) {
    Extremes.HighestMaf = 0;
  } else {
    SetCorrection(0);
  }
  Settings.Autocorrection = on;
  Changed();
}

void CorrectionWindowModel::SetExtrapolate(bool on) {
  ExtrapolateOn = on;
  MainTable.SetInterpolateEnds(on);
  if (CompareTable != nullptr) {
    CompareTable->SetInterpolateEnds(on);
  }
  Changed();
}

void CorrectionWindowModel::SetBeginOfTableAsLearned() {
  const std::int32_t savedEnd = End;
  SetMafEnd(Beginning);
  MainTable.SetBeginAsLearned(Beginning, CorrectionValue, false);
  MainTable.PushHistory();
  LearnedBeginPoint = Beginning;
  ResetCorrection();
  Host.SendToConverterRam();
  SetMafEnd(savedEnd);
}

void CorrectionWindowModel::SetManualBorders(bool on) {
  ManualBordersOn = on;
  SetCorrection(0);
  if (AutocorrectionOn) {
    SetAutocorrection(false);
  }
  Changed();
}

void CorrectionWindowModel::SetToyota(bool on) {
  ToyotaOn = on;
  MainTable.SetToyotaMode(on);
  if (CompareTable != nullptr) {
    CompareTable->SetToyotaMode(on);
  }
  Settings.ToyotaMode = on;
  Changed();
}

void CorrectionWindowModel::ClearWindowLearned() {
  // The learned beginning is cleared only by "P" or a new F7.
  const std::int32_t from = (Beginning > 0 && Beginning < LearnedBeginPoint) ? LearnedBeginPoint : Beginning;
  MainTable.ClearLearnedRange(from, End);
  if (ManualBordersOn) {
    SetMafBeg(MainTable.FindTrainedPoint(Beginning, true, false));
    SetCorrection(0);
    ApplyCorrectionToTable();
  }
}

void CorrectionWindowModel::ClearAllLearned() {
  MainTable.ClearLearnedRange(LearnedBeginPoint + 1, kLastPoint);
}

void CorrectionWindowModel::SelectTarget(CorrectionTarget target) {
  TargetButton = target;
  Changed();
  if (target == CorrectionTarget::Table) {
    ApplyCorrectionToTable();
  } else {
    ApplyToTempTarget();
  }
}

void CorrectionWindowModel::ApplyCorrectionToTable() {
  if (TargetButton != CorrectionTarget::Table) {
    return;
  }
  AutocorrectionButtonEnabled = true;
  if (Armed) {
    if (Beginning > LearnedBeginPoint) {
      MainTable.PushHistory();
      MainTable.ApplyWindowCorrection(CorrectionValue, Beginning, End,
                                      Host.LiveDataRunning() ? kMiddlePoint : kWholeWindow);
    } else {
      MainTable.SetBeginAsLearned(LearnedBeginPoint, CorrectionValue, false);
      SetCorrection(0);
    }
    ResetCorrection();
    Host.SendToConverterRam();
    MainTable.PushHistory();
  }
  Armed = true;
  Changed();
}

void CorrectionWindowModel::ApplyToTempTarget() {
  if (TargetButton == CorrectionTarget::Table) {
    return;
  }
  if (AutocorrectionOn) {
    SetAutocorrection(false);
  }
  Armed = false;
  AutocorrectionButtonEnabled = false;
  Changed();
  if (!Host.LiveDataRunning()) {
    return;
  }
  MainTable.ApplyTempCorrection(
      CorrectionValue, TargetButton == CorrectionTarget::Iat ? TempCorrection::Iat : TempCorrection::Ect);
  ResetCorrection();
  Host.SendToConverterRam();
}

bool CorrectionWindowModel::ApplyTempCorrectionKey(TempCorrection which) {
  if (!Host.LiveDataRunning()) {
    return false;
  }
  MainTable.PushHistory();
  MainTable.ApplyTempCorrection(CorrectionValue, which);
  ResetCorrection();
  Host.SendToConverterRam();
  return true;
}

void CorrectionWindowModel::EnterKey() {
  if (ManualBordersOn && Host.LiveDataRunning()) {
    MainTable.MarkLearned(Extremes.LastMaf);
    MoveWindowTo(Extremes.LastMaf);
    Host.SendToConverterRam();
    return;
  }
  ApplyCorrectionToTable();
}

void CorrectionWindowModel::ArrowCorrection(std::int32_t step) {
  const bool running = Host.LiveDataRunning();
  if (!ManualBordersOn && running) {
    StepCorrection(step);
    return;
  }
  if (Beginning <= LearnedBeginPoint) {
    MainTable.SetBeginAsLearned(LearnedBeginPoint, step, true);
  }
  if (!running) {
    if (Beginning > LearnedBeginPoint) {
      MainTable.ApplyWindowCorrection(step, Beginning, End, kWholeWindow);
    }
  } else {
    MainTable.ApplyWindowCorrection(step, Beginning, End, kMiddlePoint);
  }
}

void CorrectionWindowModel::PressCorrPanel(int y) {
  PanelPressY = y;
  PanelPressCorrection = CorrectionValue;
}

void CorrectionWindowModel::DragCorrPanel(int y, bool inside) {
  SetCorrection(inside ? PanelPressCorrection + (PanelPressY - y) / kPanelPixelsPerUnit : 0);
}

void CorrectionWindowModel::ReleaseCorrPanel(bool inside) {
  if (inside) {
    ApplyCorrectionToTable();
  }
  ApplyToTempTarget();
}

void CorrectionWindowModel::PressBorderSlider(int x, bool rightHalf) {
  SliderPressX = x;
  SliderPressBeginning = Beginning;
  SliderPressRightHalf = rightHalf;
}

void CorrectionWindowModel::DragBorderSlider(int x) {
  MoveWindowTo(SliderPressBeginning + (x - SliderPressX) / kSliderPixelsPerPoint);
}

void CorrectionWindowModel::DoubleClickBorderSlider() {
  MoveWindowTo(MainTable.FindTrainedPoint(Beginning, SliderPressRightHalf, false));
}

void CorrectionWindowModel::StartLiveData() {
  Extremes.Reset(ToyotaOn);
  MainTable.SetBeginAsLearned(LearnedBeginPoint, 0, false);
  ResetCorrection();
  Host.SendToConverterRam();
  CopySettings();
  Changed();
}

void CorrectionWindowModel::BeginRun() {
  Extremes.Reset(ToyotaOn);
  CorrectionValue = 0;
  Changed();
}

void CorrectionWindowModel::LiveDataStopped() {
  ShowColor(kIdleColor, false);
}

void CorrectionWindowModel::TakeSample(std::int32_t maf, std::int32_t conv) {
  Extremes.ToyotaMode = ToyotaOn;  // the comparison follows F9 as it is now
  Extremes.Take(conv, maf);
}

void CorrectionWindowModel::OnCorrAdvice(const TMsgCorrAdvice& advice) {
  if (ManualBordersOn) {
    if (AutocorrectionOn) {
      // Automatic borders: the first trained point from two below the window's end.
      MoveWindowTo(MainTable.FindTrainedPoint(advice.MafEnd, true, true));
    }
    return;
  }
  SetMafBeg(advice.MafBeg);
  SetMafEnd(advice.MafEnd);
  if (advice.ApplyToTable != 0) {
    StepCorrection(advice.CorrStep);
    ApplyCorrectionToTable();
  } else if (advice.ResetCorr != 0) {
    SetCorrection(0);
  } else {
    StepCorrection(advice.CorrStep);
  }
  ShowColor(advice.StateColor, true);
}

void CorrectionWindowModel::OnWindowPoint(const TMsgWindowPoint& point) {
  MoveWindowTo(point.Point);
  if ((point.ClearWindow & 0xFFU) == 1) {
    ClearWindowLearned();
  }
}

bool CorrectionWindowModel::Dispatch(const TMessage& message) {
  if (const auto* advice = MessageAs<TMsgCorrAdvice>(message)) {
    OnCorrAdvice(*advice);
    return true;
  }
  if (const auto* point = MessageAs<TMsgWindowPoint>(message)) {
    OnWindowPoint(*point);
    return true;
  }
  return false;
}

}  // namespace orvel
