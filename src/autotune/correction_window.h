#pragma once

// The dashboard's correction window as a model: the window's borders over the
// table's air-flow points, the correction added to them, where a correction
// goes (the table or a temperature correction), the autocorrection and its
// buttons, and what happens when the decision's advice arrives. The window's
// widgets show this state and write to it through the methods below; without
// a window (a recorded or simulated stream, the command-line tool) the model
// works the same.
//
// Threads: main thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "autotune/correction_decision.h"
#include "autotune/dashboard_extremes.h"
#include "autotune/o2_reference.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "table/table.h"

namespace orvel {

// Where applying puts the correction: the three target buttons.
enum class CorrectionTarget { Table, Iat, Ect };

inline constexpr std::int32_t kCorrectionLimit = 255;
inline constexpr std::int32_t kMinAvgB = 1;
inline constexpr std::int32_t kMinAvgT = 10;
inline constexpr std::int32_t kMaxAveraging = 1000;

// What the model needs of the rest of the program.
class CorrectionWindowHost {
 public:
  virtual ~CorrectionWindowHost() = default;
  // Live data is being recorded (between Start and Stop).
  [[nodiscard]] virtual bool LiveDataRunning() const = 0;
  // The log's CorrValue, copied into every live sample.
  virtual void SetLogCorrValue(std::int32_t value) = 0;
  // The main table to the converter's working memory; nothing when the link
  // is not connected.
  virtual void SendToConverterRam() = 0;

 protected:
  CorrectionWindowHost() = default;
  CorrectionWindowHost(const CorrectionWindowHost&) = default;
  CorrectionWindowHost& operator=(const CorrectionWindowHost&) = default;
};

class CorrectionWindowModel;

// The dashboard widgets that reflect the model.
class CorrectionWindowView {
 public:
  virtual ~CorrectionWindowView() = default;
  // Borders, width, correction, buttons and labels changed.
  virtual void ShowCorrectionWindow(const CorrectionWindowModel& model) = 0;
  // The background's middle colour; with `playCue` the colour's sound cue
  // is played (without interrupting one still playing).
  virtual void ShowStateColor(TColorRgb color, bool playCue) = 0;

 protected:
  CorrectionWindowView() = default;
  CorrectionWindowView(const CorrectionWindowView&) = default;
  CorrectionWindowView& operator=(const CorrectionWindowView&) = default;
};

class CorrectionWindowModel {
 public:
  // `compareTable` (may be null) follows F6 and F9 like the main table.
  // `decisionSettings` (the decision's, as the log's tick runs it) are
  // written at the start of live data and whenever one of their controls
  // changes. The O2 sensor type and the O2 reference are `reference`'s: the
  // model reads them there and follows its changes.
  // `format` gives the B and T time labels the user's decimal separator.
  CorrectionWindowModel(Table& mainTable, Table* compareTable, DecisionSettings& decisionSettings,
                        CorrectionWindowHost& host, const O2ReferenceModel& reference,
                        NumberFormat format = {});
  CorrectionWindowModel(const CorrectionWindowModel&) = delete;
  CorrectionWindowModel& operator=(const CorrectionWindowModel&) = delete;

  void BindView(CorrectionWindowView* view);
  // The correction took a new value, whatever moved it; the keyboard's
  // parameter selection follows it and "Delta".
  Signal<> CorrectionChanged;
  // "Delta" took a new value.
  Signal<> PulsLimitChanged;

  // --- State. ---
  [[nodiscard]] std::int32_t MafBeg() const { return Beginning; }
  [[nodiscard]] std::int32_t MafEnd() const { return End; }
  [[nodiscard]] std::int32_t Width() const { return End - Beginning; }
  [[nodiscard]] std::int32_t Correction() const { return CorrectionValue; }
  [[nodiscard]] std::int32_t PulsLimit() const { return Delta; }
  [[nodiscard]] CorrectionTarget Target() const { return TargetButton; }
  [[nodiscard]] bool Autocorrection() const { return AutocorrectionOn; }
  [[nodiscard]] bool AutocorrectionEnabled() const { return AutocorrectionButtonEnabled; }
  [[nodiscard]] bool Extrapolate() const { return ExtrapolateOn; }
  [[nodiscard]] bool ManualBorders() const { return ManualBordersOn; }
  [[nodiscard]] bool Toyota() const { return ToyotaOn; }
  [[nodiscard]] bool ApplyArmed() const { return Armed; }
  // The run's extremes: reset by the Start action, HighestMaf also when
  // autocorrection is switched on, advanced by every dashboard tick.
  [[nodiscard]] std::int32_t HighestMaf() const { return Extremes.HighestMaf; }
  [[nodiscard]] std::int32_t OutputExtreme() const { return Extremes.OutputExtreme; }
  [[nodiscard]] std::int32_t LastMaf() const { return Extremes.LastMaf; }
  [[nodiscard]] std::int32_t LearnedBegin() const { return LearnedBeginPoint; }
  [[nodiscard]] std::int32_t AvgB() const { return AvgBValue; }
  [[nodiscard]] std::int32_t AvgT() const { return AvgTValue; }
  [[nodiscard]] std::int32_t O2Ref() const { return Reference.O2Ref(); }
  [[nodiscard]] std::int32_t SensorType() const { return Reference.SensorType(); }
  [[nodiscard]] std::int32_t ForcedIdleRpm() const { return IdleRpm; }
  [[nodiscard]] std::int32_t ForcedIdleTps() const { return IdleTps; }
  [[nodiscard]] TColorRgb StateColor() const { return Color; }

  // --- Label texts. ---
  [[nodiscard]] std::string WidthText() const { return std::to_string(Width()); }
  [[nodiscard]] std::string BTimeText() const;  // "0.01s", the user's decimal separator
  [[nodiscard]] std::string TTimeText() const;  // "0.10s"
  [[nodiscard]] std::string MaxMafText() const { return Extremes.MaxMafText(); }
  [[nodiscard]] std::string OutputExtremeText() const;  // "MaxOut=…", "MinOut=…" with F9

  // --- Borders and correction. ---
  // A beginning above the end pulls the end up; an end below the beginning
  // pulls the beginning down. Both held to 0..255.
  void SetMafBeg(std::int32_t value);
  void SetMafEnd(std::int32_t value);
  // Held to -255..255; a change reaches the log and the converter.
  void SetCorrection(std::int32_t value);
  void StepCorrection(std::int32_t step) { SetCorrection(CorrectionValue + step); }

  // --- Controls that the decision also reads. ---
  void SetPulsLimit(std::int32_t value);                   // "Delta", 0..255
  void SetAvgB(std::int32_t value);                        // B time, 1..1000
  void SetAvgT(std::int32_t value);                        // T time, 10..1000
  void SetForcedIdle(std::int32_t rpm, std::int32_t tps);  // the hidden fields
  void SetLearnedBegin(std::int32_t point) { LearnedBeginPoint = point; }

  // --- Buttons. ---
  void SetAutocorrection(bool on);  // key A
  void SetExtrapolate(bool on);     // F6
  void SetBeginOfTableAsLearned();  // F7
  void SetManualBorders(bool on);   // F8
  void SetToyota(bool on);          // F9
  void ClearWindowLearned();        // "O"
  void ClearAllLearned();           // "P"
  // A target button pressed: "table" applies the correction (or only
  // re-arms after a temperature target); "IAT"/" ECT" switch autocorrection
  // off and, while recording, apply to the temperature entry in force.
  void SelectTarget(CorrectionTarget target);
  // The correction into the table's window (button, Enter, the "Corr" panel,
  // the advice). Only with the target "table".
  void ApplyCorrectionToTable();
  // Keys I and E: while recording, the correction into the temperature entry
  // in force; false (the key passes on) when live data is stopped.
  bool ApplyTempCorrectionKey(TempCorrection which);
  // Enter on the dashboard.
  void EnterKey();
  // Up (+1) and Down (-1) with the correction parameter selected.
  void ArrowCorrection(std::int32_t step);

  // --- The "Corr" panel and the border slider "|", in pixels. ---
  void PressCorrPanel(int y);
  void DragCorrPanel(int y, bool inside);
  void ReleaseCorrPanel(bool inside);
  void PressBorderSlider(int x, bool rightHalf);
  void DragBorderSlider(int x);
  void DoubleClickBorderSlider();

  // --- Live data. ---
  // Before TMsgLogStart: resets the run's extremes, marks the learned
  // beginning, clears the correction, sends the table and hands the decision
  // its settings.
  void StartLiveData();
  // The Start action is about to send the table, the correction 0 and the
  // settings itself (LiveSession): the run's extremes start over and the
  // correction shows 0.
  void BeginRun();
  // After TMsgLogStop: the background returns to the idle colour.
  void LiveDataStopped();
  // The dashboard tick's sample reaches the run's extremes, which this model
  // alone keeps: the highest MAF, the output extreme (compared the way F9
  // stands now) and the last MAF. The tick draws them; no view is told here.
  void TakeSample(std::int32_t maf, std::int32_t conv);

  // --- Bus messages, called by the main window's Dispatch. ---
  void OnCorrAdvice(const TMsgCorrAdvice& advice);
  void OnWindowPoint(const TMsgWindowPoint& point);
  // Either of the two above when `message` is one of them; false for any
  // other message. One line in the window's (or a headless loop's) Dispatch.
  bool Dispatch(const TMessage& message);

 private:
  // Both borders to `point`.
  void MoveWindowTo(std::int32_t point);
  void TellBorders();
  void CopySettings();
  void ApplyToTempTarget();
  void ResetCorrection();
  void Changed();
  void ShowColor(TColorRgb color, bool playCue);

  Table& MainTable;
  Table* CompareTable;
  DecisionSettings& Settings;
  CorrectionWindowHost& Host;
  const O2ReferenceModel& Reference;
  Subscription ReferenceFollow;  // after Reference: it goes first
  CorrectionWindowView* View = nullptr;
  NumberFormat Format;

  std::int32_t Beginning = 0;
  std::int32_t End = 255;
  std::int32_t CorrectionValue = 0;
  std::int32_t Delta = 10;
  CorrectionTarget TargetButton = CorrectionTarget::Table;
  bool AutocorrectionOn = false;
  bool AutocorrectionButtonEnabled = true;
  bool ExtrapolateOn = false;
  bool ManualBordersOn = false;
  bool ToyotaOn = false;
  bool Armed = true;
  DashboardExtremes Extremes;
  std::int32_t LearnedBeginPoint = 0;
  std::int32_t AvgBValue = kMinAvgB;
  std::int32_t AvgTValue = kMinAvgT;
  std::int32_t IdleRpm = 1200;
  std::int32_t IdleTps = 2;
  TColorRgb Color = kIdleColor;

  // Pointer gestures in progress.
  int PanelPressY = 0;
  std::int32_t PanelPressCorrection = 0;
  int SliderPressX = 0;
  std::int32_t SliderPressBeginning = 0;
  bool SliderPressRightHalf = false;
};

}  // namespace orvel
