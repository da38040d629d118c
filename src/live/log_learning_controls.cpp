#include "live/log_learning_controls.h"

#include <algorithm>

#include "autotune/o2_sensor.h"
#include "live/log_learning.h"

namespace orvel {

namespace {

constexpr std::int32_t kRicherWhenHigherSensor = 0;

}  // namespace

std::string LogO2LevelText(std::int32_t value, std::int32_t sensorType, NumberFormat format) {
  if (IsVoltageO2Sensor(sensorType)) {
    return FormatDecimal(value * 5.0 / 256, 2, format);
  }
  return FormatDecimal(value * 0.1, 1, format);
}

LogLearningControls::LogLearningControls(Log& log, Table& mainTable, O2ReferenceModel& reference,
                                         NumberFormat format)
    : LogModel(log), MainTable(mainTable), Reference(reference), Format(format) {
  Reference.SetLogO2TargetChangeHandler([this] { LogO2TargetChanged(); });
  Reference.AddRefO2Listener([this] { O2FromDashChanged(); });
  UpdateTexts();
}

void LogLearningControls::NotifyChanged() const {
  if (Changed) {
    Changed();
  }
}

void LogLearningControls::SetMafLimitLocked(bool locked) {
  Locked = locked;
  NotifyChanged();
}

void LogLearningControls::UpdateTexts() {
  const std::int32_t sensorType = Reference.SensorType();
  const std::int32_t target = Reference.LogO2Target().Value();
  TargetText = LogO2LevelText(target, sensorType, Format);
  if (auto mixture = O2PercentText(target, sensorType)) {
    TargetMixtureText = std::move(*mixture);
  }
  const std::int32_t fromDash = Reference.O2Ref();
  FromDashText = LogO2LevelText(fromDash, sensorType, Format);
  if (auto mixture = O2PercentText(fromDash, sensorType)) {
    FromDashMixtureText = std::move(*mixture);
  }
}

void LogLearningControls::SetMafLimitPosition(std::int32_t position, bool dashboardFollows) {
  position = std::clamp(position, 0, SliderMax);
  if (position == LimitPosition) {
    return;
  }
  LimitPosition = position;
  if (!Locked || dashboardFollows) {
    LogModel.SetMafLimit(MafLimitValue());
    MainTable.SetMaxMaf(MafLimitValue());
    LimitText = std::to_string(MafLimitValue());
  }
  NotifyChanged();
}

void LogLearningControls::HoldTargetOnRichSide() {
  // A larger value is richer on sensor 0 only, and the sliders' positions
  // run the other way.
  const std::int32_t sensorType = Reference.SensorType();
  const std::int32_t reference = Reference.RefO2().Position;
  const std::int32_t target = Reference.LogO2Target().Position;
  const bool lean = sensorType == kRicherWhenHigherSensor ? reference < target : target < reference;
  if (lean) {
    Reference.SetLogO2TargetPosition(reference);  // runs LogO2TargetChanged
  }
}

void LogLearningControls::LogO2TargetChanged() {
  HoldTargetOnRichSide();
  UpdateTexts();
  LogModel.SetO2Target(Reference.LogO2Target().Value());
  NotifyChanged();
}

int LogLearningControls::LearnFromLogPass(const std::function<void()>& sendToConverterRam) {
  const int changed = LearnFromLog(LogModel, MainTable, Reference.SensorType(), MainTable.ToyotaMode());
  LogModel.Redraw(LogModel.Window().Step);
  if (sendToConverterRam) {
    sendToConverterRam();
  }
  return changed;
}

int LogLearningControls::TakeConverterOutput(const std::function<void()>& sendToConverterRam) {
  const int changed = LearnSelected(LogModel, MainTable);
  LogModel.Redraw(LogModel.Window().Step);
  if (sendToConverterRam) {
    sendToConverterRam();
  }
  return changed;
}

void LogLearningControls::O2FromDashChanged() {
  LogModel.SetO2FromDash(Reference.O2Ref());
  // A reference moved past the target would let the two thresholds cross, and
  // learning would give a rich sample a lean step: the target moves with it.
  HoldTargetOnRichSide();
  UpdateTexts();
  NotifyChanged();
}

}  // namespace orvel
