#pragma once

// The log page's learning controls as a model: the MAF limit slider with its
// lock, the O2 target slider (held on the rich side of the dashboard's O2
// reference) and the labels of both and of the dashboard's reference. The
// widgets show this state and write to it.
//
// Threads: main thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "autotune/o2_reference.h"
#include "core/number_format.h"
#include "core/signal.h"
#include "live/log.h"
#include "table/table.h"

namespace orvel {

// The log page's label of an O2 level: value x 0.1 with one decimal for the
// air-fuel-ratio sensors, value x 5 / 256 with two decimals for the voltage
// sensors ("14.7", "0.51").
std::string LogO2LevelText(std::int32_t value, std::int32_t sensorType, NumberFormat format);

class LogLearningControls {
 public:
  // Hooks itself to the reference model's O2 target change handling and
  // follows the reference slider's changes (O2FromDashChanged).
  LogLearningControls(Log& log, Table& mainTable, O2ReferenceModel& reference, NumberFormat format = {});

  LogLearningControls(const LogLearningControls&) = delete;
  LogLearningControls& operator=(const LogLearningControls&) = delete;

  // After every change of the controls' state or texts, whoever made it
  // (the page's widgets, the keyboard, the dashboard): the page shows it.
  Signal<> Changed;

  // --- MAF limit slider: value = 255 - position. ---
  [[nodiscard]] std::int32_t MafLimitPosition() const { return LimitPosition; }
  [[nodiscard]] std::int32_t MafLimitValue() const { return SliderMax - LimitPosition; }
  [[nodiscard]] bool MafLimitLocked() const { return Locked; }
  [[nodiscard]] const std::string& MafLimitText() const { return LimitText; }
  // The lock button: down disables the slider. The window presses it at start.
  void SetMafLimitLocked(bool locked);
  // A new position (held to 0..255). When it moved and the lock is up, or
  // `dashboardFollows` (autocorrection on without manual borders), the log
  // and the table's MAF-limit line take the value and the label shows it.
  void SetMafLimitPosition(std::int32_t position, bool dashboardFollows = false);

  // --- O2 target slider (the reference model holds its position). ---
  // Its change handling: held on the rich side of the reference slider, then
  // the labels and the log's O2Target follow.
  void LogO2TargetChanged();
  [[nodiscard]] const std::string& O2TargetText() const { return TargetText; }
  [[nodiscard]] const std::string& O2TargetMixtureText() const { return TargetMixtureText; }

  // --- The two passes over the log chart's visible window. ---
  // The learning button (Enter): a learning pass with the selected sensor
  // type and the table's characteristic, the chart redrawn, the table sent
  // to the converter's working memory. Returns the points changed.
  int LearnFromLogPass(const std::function<void()>& sendToConverterRam);
  // Take the converter's output (T), then the same redraw and send.
  int TakeConverterOutput(const std::function<void()>& sendToConverterRam);

  // --- The dashboard's O2 reference, shown on the log page. ---
  // The reference slider's change handling: the log takes the reference, and
  // the O2 target is held on the rich side of it.
  void O2FromDashChanged();
  [[nodiscard]] const std::string& O2FromDashText() const { return FromDashText; }
  [[nodiscard]] const std::string& O2FromDashMixtureText() const { return FromDashMixtureText; }

 private:
  static constexpr std::int32_t SliderMax = 255;

  // The labels of the target and of the reference.
  void UpdateTexts();
  // Moves the O2 target slider onto the reference slider when it stands on
  // the lean side of it.
  void HoldTargetOnRichSide();
  void NotifyChanged() { Changed.Emit(); }

  Log& LogModel;
  Table& MainTable;
  O2ReferenceModel& Reference;
  Subscriptions ReferenceFollow;  // after Reference: it goes first
  NumberFormat Format;
  std::int32_t LimitPosition = SliderMax;
  bool Locked = true;
  std::string LimitText = "255";
  std::string TargetText;
  std::string TargetMixtureText;
  std::string FromDashText;
  std::string FromDashMixtureText;
};

}  // namespace orvel
