#pragma once

// The O2 reference: the oxygen sensor value the autocorrection aims at, held
// as the state of the dashboard's vertical reference slider `TrackBarRefO2`,
// together with the log page's O2 target slider `TrackBarLogO2Target` whose
// range follows it. The window's sliders show this state and write to it;
// logic reads it without a window.

#include <cstdint>
#include <string>

#include "core/number_format.h"
#include "core/signal.h"

namespace orvel {

// A vertical slider whose value is read upside down: value = Max + Min -
// Position, so a higher value sits higher.
struct VerticalSlider {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
  std::int32_t Position = 0;

  [[nodiscard]] std::int32_t Value() const { return Max + Min - Position; }
};

class O2ReferenceModel {
 public:
  // Before any sensor type is chosen the reference slider has the range 0..50
  // at position 24 and the sensor type is 0; the O2 target slider stands at
  // 255 of 0..255.
  explicit O2ReferenceModel(NumberFormat format = {});
  O2ReferenceModel(const O2ReferenceModel&) = delete;
  O2ReferenceModel& operator=(const O2ReferenceModel&) = delete;

  // The reference slider moved (its label texts are already current), also
  // at the end of every sensor change: the correction window, the log page's
  // learning controls and the dashboard follow it.
  Signal<> RefO2Changed;
  // The log page's O2 target slider moved, also at the end of every sensor
  // change.
  Signal<> LogO2TargetChanged;

  // A new sensor type (list position): both sliders get the type's range, the
  // reference slider its default position, the target slider the same one.
  void ComboBoxO2Change(std::int32_t sensorType);

  [[nodiscard]] std::int32_t SensorType() const { return O2SensorType; }
  [[nodiscard]] const VerticalSlider& RefO2() const { return RefSlider; }
  [[nodiscard]] const VerticalSlider& LogO2Target() const { return TargetSlider; }
  [[nodiscard]] std::int32_t O2Ref() const { return RefSlider.Value(); }

  // Positions from the user, the keyboard or the program state file; held
  // within the slider's range.
  void SetRefO2Position(std::int32_t position);
  void SetLogO2TargetPosition(std::int32_t position);
  // The reference slider at the position that shows `value` (the command
  // line's target, in the O2 channel's unit).
  void SetRefO2Value(std::int32_t value) { SetRefO2Position(RefSlider.Max + RefSlider.Min - value); }
  // The target slider at the position that shows `value`.
  void SetLogO2TargetValue(std::int32_t value) {
    SetLogO2TargetPosition(TargetSlider.Max + TargetSlider.Min - value);
  }

  // The reference slider's labels: the value ("0.51V", "14.7") and the
  // mixture against 14.7 ("0%"; " " for the voltage sensors; an air-fuel
  // reference of 0 keeps the previous mixture text).
  [[nodiscard]] const std::string& RefO2Text() const { return ValueText; }
  [[nodiscard]] const std::string& RefO2PercentText() const { return PercentText; }

 private:
  // Each returns true when the position moved.
  bool MoveRef(std::int32_t position);
  bool MoveTarget(std::int32_t position);
  void SetRefMax(std::int32_t max);
  void SetTargetMax(std::int32_t max);
  void NotifyRef();
  void NotifyTarget();
  void UpdateTexts();

  NumberFormat Format;
  std::int32_t O2SensorType = 0;
  VerticalSlider RefSlider{0, 50, 24};
  VerticalSlider TargetSlider{0, 255, 255};
  std::string ValueText;
  std::string PercentText;
};

}  // namespace orvel
