#include "autotune/o2_reference.h"

#include <algorithm>

#include "autotune/o2_sensor.h"

namespace orvel {

namespace {

constexpr std::int32_t kNarrowbandMax = 51;
constexpr std::int32_t kFullMax = 255;

// Default positions: 25 gives 26 (about 0.51 V), 127 gives 128 (about 2.5 V),
// 108 gives 147 (14.7).
constexpr std::int32_t kNarrowbandPosition = 25;
constexpr std::int32_t kWidebandVoltagePosition = 127;
constexpr std::int32_t kAfrPosition = 108;

// Moves the slider, held within its range; true when the position changed.
bool Move(VerticalSlider& slider, std::int32_t position) {
  const std::int32_t held = std::clamp(position, slider.Min, std::max(slider.Min, slider.Max));
  if (held == slider.Position) {
    return false;
  }
  slider.Position = held;
  return true;
}

}  // namespace

O2ReferenceModel::O2ReferenceModel(NumberFormat format) : Format(format) {
  UpdateTexts();
}

void O2ReferenceModel::ComboBoxO2Change(std::int32_t sensorType) {
  O2SensorType = sensorType;
  if (sensorType == 0) {
    SetRefMax(kNarrowbandMax);
    SetTargetMax(kNarrowbandMax);
    if (MoveRef(kNarrowbandPosition)) {
      NotifyRef();
    }
  } else {
    SetRefMax(kFullMax);
    if (MoveRef(sensorType == 2 ? kWidebandVoltagePosition : kAfrPosition)) {
      NotifyRef();
    }
    SetTargetMax(kFullMax);
  }
  if (MoveTarget(RefSlider.Position)) {
    NotifyTarget();
  }
  NotifyRef();
  NotifyTarget();
}

void O2ReferenceModel::SetRefO2Position(std::int32_t position) {
  if (MoveRef(position)) {
    NotifyRef();
  }
}

void O2ReferenceModel::SetLogO2TargetPosition(std::int32_t position) {
  if (MoveTarget(position)) {
    NotifyTarget();
  }
}

bool O2ReferenceModel::MoveRef(std::int32_t position) {
  return Move(RefSlider, position);
}

bool O2ReferenceModel::MoveTarget(std::int32_t position) {
  return Move(TargetSlider, position);
}

// A maximum below the position pulls the position down with it, which counts
// as a change of position.
void O2ReferenceModel::SetRefMax(std::int32_t max) {
  RefSlider.Max = max;
  if (MoveRef(RefSlider.Position)) {
    NotifyRef();
  }
}

void O2ReferenceModel::SetTargetMax(std::int32_t max) {
  TargetSlider.Max = max;
  if (MoveTarget(TargetSlider.Position)) {
    NotifyTarget();
  }
}

void O2ReferenceModel::NotifyRef() {
  UpdateTexts();
  RefO2Changed.Emit();
}

void O2ReferenceModel::NotifyTarget() {
  LogO2TargetChanged.Emit();
}

void O2ReferenceModel::UpdateTexts() {
  ValueText = O2ValueText(O2Ref(), O2SensorType, Format);
  if (auto percent = O2PercentText(O2Ref(), O2SensorType)) {
    PercentText = std::move(*percent);
  }
}

}  // namespace orvel
