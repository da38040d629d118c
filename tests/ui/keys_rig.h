#pragma once

// The keyboard commands over real models without a window: a converter
// simulator on a pseudo-terminal behind the link, the main table, the log,
// the correction window, the O2 reference and the log's learning controls,
// with a window that records what the commands asked of it.

#include <chrono>
#include <thread>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "core/key_selection.h"
#include "core/orvel_broadcaster.h"
#include "core/progress.h"
#include "core/user_messages.h"
#include "link/converter_reset.h"
#include "link/rxtx.h"
#include "link/table_transfer.h"
#include "live/live_correction_host.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "sim/simulator_host.h"
#include "table/table.h"
#include "ui/keys/key_table.h"

namespace orvel::ui::test {

using namespace std::chrono_literals;

// The window's side as the commands see it; live data "runs" while the log records.
class RecordingKeyWindow final : public KeyWindow {
 public:
  explicit RecordingKeyWindow(Log& log) : LiveLog(log) {}

  [[nodiscard]] int CurrentPage() const override { return Page; }
  void ShowPage(int page) override { Page = page; }
  void FocusMainPageControl() override { ++FocusesToPageControl; }
  [[nodiscard]] bool StartEnabled() const override { return !LiveLog.IsRunning(); }
  [[nodiscard]] bool StopEnabled() const override { return LiveLog.IsRunning(); }
  void RunStart() override {
    ++Starts;
    LiveLog.BeginRecording();
  }
  void RunStop() override {
    ++Stops;
    LiveLog.EndRecording();
  }
  void SaveAll() override { ++SaveAlls; }
  void MakeOneToOne() override { ++OneToOnes; }
  [[nodiscard]] bool ReconnectEnabled() const override { return CanReconnect; }
  void Reconnect() override { ++Reconnects; }
  [[nodiscard]] bool CorrectionFieldFocused() const override { return CorrectionFocused; }
  [[nodiscard]] bool DeltaFieldFocused() const override { return DeltaFocused; }

  Log& LiveLog;
  int Page = kConnectionPagePosition;
  int FocusesToPageControl = 0;
  int Starts = 0;
  int Stops = 0;
  int SaveAlls = 0;
  int OneToOnes = 0;
  bool CanReconnect = false;
  int Reconnects = 0;
  bool CorrectionFocused = false;
  bool DeltaFocused = false;
};

// Counts the correction window's change handling.
class CountingCorrectionView final : public CorrectionWindowView {
 public:
  void ShowCorrectionWindow(const CorrectionWindowModel& /*model*/) override { ++Shown; }
  void ShowStateColor(TColorRgb /*color*/, bool /*playCue*/) override {}
  int Shown = 0;
};

struct KeysRig {
  KeysRig() {
    Link.Open(Simulator.PortPath());
    MainTable.BindGraph(nullptr, true, &Panel);
    // An output curve with no point equal to its (zero) trained value.
    for (int i = 0; i < 256; ++i) {
      MainTable.Tab1()[static_cast<std::size_t>(i)] = std::min(i + 10, 255);
    }
    MainTable.PushHistory();
    Correction.BindView(&View);
  }

  bool Down(KeyCode key, bool shift = false, bool ctrl = false) {
    return Commands.KeyDown(KeyStroke{key, shift, ctrl});
  }
  void Up(KeyCode key, bool shift = false, bool ctrl = false) { Commands.KeyUp(KeyStroke{key, shift, ctrl}); }
  void Press(KeyCode key, bool shift = false, bool ctrl = false) {
    Down(key, shift, ctrl);
    Up(key, shift, ctrl);
  }
  void On(int page) { Window.Page = page; }

  // Waits until the converter's working memory holds Tab1's outputs.
  bool ConverterHoldsTab1(std::chrono::milliseconds within = 2s) const {
    const auto deadline = std::chrono::steady_clock::now() + within;
    do {
      const sim::ConverterTable working = Simulator.WorkingTable();
      bool same = true;
      for (std::size_t i = 0; i < TableBlock::kOutCount && same; ++i) {
        same = working[i] == EntryByte(MainTable.Tab1()[i]);
      }
      if (same) {
        return true;
      }
      std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

  sim::SimulatorHost Simulator;
  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  TRXTX Link{Bus, 300ms};
  LatchedModifiers Modifiers;
  Table MainTable{Bus, Messages, Modifiers};
  TextPanel Panel;
  KeptProgress Progress;
  TableTransfer Transfer{MainTable, Link, Messages, Progress};
  Log LiveLog{Messages};
  LiveCorrectionHost Host{LiveLog, Transfer};
  DecisionSettings Settings;
  O2ReferenceModel Reference;
  CorrectionWindowModel Correction{MainTable, nullptr, Settings, Host, Reference};
  CountingCorrectionView View;
  LogLearningControls Learning{LiveLog, MainTable, Reference};
  ConverterReset Reset{Link, Transfer, MainTable, Messages, [](std::chrono::milliseconds) {}};
  KeySelection Selection;
  RecordingKeyWindow Window{LiveLog};
  KeyCommands Commands{
      KeyModels{MainTable, Correction, Reference, Learning, LiveLog, Transfer, Reset, Selection}, Window};
};

}  // namespace orvel::ui::test
