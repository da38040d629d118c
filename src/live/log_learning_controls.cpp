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
  ReferenceFollow += Reference.LogO2TargetChanged.Subscribe([this] { LogO2TargetChanged(); });
  ReferenceFollow += Reference.RefO2Changed.Subscribe([this] { O2FromDashChanged(); });
  UpdateTexts();
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
  // Values, not positions: until a sensor type is chosen the two sliders
  // have different ranges (0..50 and 0..255), and a position copied from one
  // to the other would put the target at the far end of the sensor's scale.
  // A larger value is richer on sensor 0 only.
  const std::int32_t sensorType = Reference.SensorType();
  const std::int32_t reference = Reference.O2Ref();
  const std::int32_t target = Reference.LogO2Target().Value();
  const bool lean = sensorType == kRicherWhenHigherSensor ? target < reference : reference < target;
  if (lean) {
    Reference.SetLogO2TargetValue(reference);  // runs LogO2TargetChanged
  }
}

void LogLearningControls::LogO2TargetChanged() {
  HoldTargetOnRichSide();
  UpdateTexts();
  LogModel.SetO2Target(Reference.LogO2Target().Value());
  NotifyChanged();
}

int LogLearningControls::LearnFromLogPass(const std::function<void()>& sendToConverterRam) {
  if (LogModel.RefuseWhileRecording()) {
    return 0;
  }
  const int changed = LearnFromLog(LogModel, MainTable, Reference.SensorType(), MainTable.ToyotaMode());
  LogModel.Redraw(LogModel.Window().Step);
  if (sendToConverterRam) {
    sendToConverterRam();
  }
  return changed;
}

int LogLearningControls::TakeConverterOutput(const std::function<void()>& sendToConverterRam) {
  if (LogModel.RefuseWhileRecording()) {
    return 0;
  }
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
