#include "ui/keys/key_table.h"

#include <array>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "core/key_selection.h"
#include "link/converter_reset.h"
#include "link/table_transfer.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "live/table_history_moves.h"
#include "table/table.h"
#include "ui/keys/key_arrows.h"

namespace orvel::ui {

namespace {

constexpr PageSet kConnection = PageBit(kConnectionPagePosition);
constexpr PageSet kTablePage = PageBit(kTablePagePosition);
constexpr PageSet kLogPage = PageBit(kLogPagePosition);
constexpr PageSet kDashboard = PageBit(kDashboardPagePosition);
constexpr PageSet kSetup = PageBit(kSetupPagePosition);

using enum KeyCode;
using enum ModifierRule;
using enum Consumption;

// --- Conditions. ---

bool LiveDataRunning(const KeyContext& c) {
  return !c.Window.StartEnabled();
}

bool StartEnabled(const KeyContext& c) {
  return c.Window.StartEnabled();
}

bool BordersNotSelected(const KeyContext& c) {
  const std::int32_t selected = c.Models.Selection.DashParam();
  return selected != 11 && selected != 12;
}

bool CorrectionSelectedAndTableEdited(const KeyContext& c) {
  return c.Models.Selection.DashParam() == 1 &&
         (c.Models.Correction.ManualBorders() || !c.Window.StopEnabled());
}

// --- Commands. ---

void Nothing(KeyContext& /*c*/, const KeyStroke& /*k*/) {}

void SendToRam(KeyContext& c) {
  // A failed transfer has shown its message; nothing else depends on it.
  static_cast<void>(c.Models.Transfer.SendToConverterRam());
}

void Reconnect(KeyContext& c, const KeyStroke& /*k*/) {
  if (c.Window.ReconnectEnabled()) {
    c.Window.Reconnect();
  }
}

void SendTable(KeyContext& c, const KeyStroke& /*k*/) {
  SendToRam(c);
}

void DashboardEnter(KeyContext& c, const KeyStroke& /*k*/) {
  // Marks LastMaf learned (manual borders while recording) or applies the
  // correction to the table, as the model's Enter does.
  c.Models.Correction.EnterKey();
}

void LearningPass(KeyContext& c, const KeyStroke& /*k*/) {
  // The learning button's handling: the pass, the log chart redrawn, the send.
  static_cast<void>(c.Models.Learning.LearnFromLogPass([&c] { SendToRam(c); }));
}

void TakeConverterOutput(KeyContext& c, const KeyStroke& /*k*/) {
  static_cast<void>(c.Models.Learning.TakeConverterOutput([&c] { SendToRam(c); }));
}

void FocusAndLeaveBorders(KeyContext& c, const KeyStroke& /*k*/) {
  c.Window.FocusMainPageControl();
  c.Models.Selection.Escape();
}

void MarkerDown(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.LogModel.SetMarkerHeld(true);
}

void MarkerUp(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.LogModel.SetMarkerHeld(false);
}

void UnmarkLearned(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.MainTable.PushHistory();
  c.Models.MainTable.UnmarkLearned(c.Models.Correction.MafBeg());
  SendToRam(c);
}

template <int Page>
void ShowPage(KeyContext& c, const KeyStroke& /*k*/) {
  c.Window.ShowPage(Page);
}

void OneToOne(KeyContext& c, const KeyStroke& /*k*/) {
  c.Window.MakeOneToOne();
}

void ToggleAutocorrection(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.SetAutocorrection(!c.Models.Correction.Autocorrection());
}

template <TempCorrection Which>
void TempCorrectionKey(KeyContext& c, const KeyStroke& /*k*/) {
  static_cast<void>(c.Models.Correction.ApplyTempCorrectionKey(Which));
}

void ToggleMafLimitLock(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Learning.SetMafLimitLocked(!c.Models.Learning.MafLimitLocked());
}

void ClearWindowLearned(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.ClearWindowLearned();
}

void ClearAllLearned(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.ClearAllLearned();
}

void ResetConverter(KeyContext& c, const KeyStroke& /*k*/) {
  if (c.Models.LinkBusy && c.Models.LinkBusy()) {
    return;  // the job's exchanges must not be cut into
  }
  static_cast<void>(c.Models.Reset.Run(LiveDataRunning(c), [&c] { c.Window.RunStop(); }));
}

void StartOrStop(KeyContext& c, const KeyStroke& /*k*/) {
  if (c.Window.StartEnabled()) {
    c.Window.RunStart();
    c.Window.ShowPage(kDashboardPagePosition);
  } else {
    c.Window.RunStop();
    c.Window.ShowPage(kLogPagePosition);
  }
}

void SaveAll(KeyContext& c, const KeyStroke& /*k*/) {
  c.Window.SaveAll();
}

void Undo(KeyContext& c, const KeyStroke& /*k*/) {
  UndoMainTable(c.Models.MainTable, c.Models.LogModel);
}

void Redo(KeyContext& c, const KeyStroke& /*k*/) {
  RedoMainTable(c.Models.MainTable, c.Models.LogModel);
}

void SelectDashParameter(KeyContext& c, const KeyStroke& k) {
  c.Models.Selection.SelectDash(FunctionKeyNumber(k.Key));
}

void SelectTableParameter(KeyContext& c, const KeyStroke& k) {
  c.Models.Selection.SelectTable(FunctionKeyNumber(k.Key));
}

void SelectLogParameter(KeyContext& c, const KeyStroke& k) {
  c.Models.Selection.SelectLog(FunctionKeyNumber(k.Key));
}

void ToggleExtrapolate(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.SetExtrapolate(!c.Models.Correction.Extrapolate());
}

void SetBeginOfTableAsLearned(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.SetBeginOfTableAsLearned();
}

void ToggleManualBorders(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.SetManualBorders(!c.Models.Correction.ManualBorders());
}

void ToggleToyota(KeyContext& c, const KeyStroke& /*k*/) {
  c.Models.Correction.SetToyota(!c.Models.Correction.Toyota());
}

void BordersFromTable(KeyContext& c, const KeyStroke& /*k*/) {
  DashboardBordersFromTable(c);
}

void SendThenPushHistory(KeyContext& c, const KeyStroke& /*k*/) {
  SendToRam(c);
  c.Models.MainTable.PushHistory();
}

constexpr KeyRow Row(KeyCode key, PageSet pages, ModifierRule modifiers, bool (*condition)(const KeyContext&),
                     void (*command)(KeyContext&, const KeyStroke&), Consumption consumed,
                     std::string_view description) {
  return KeyRow{key, KeyEdge::Down, pages, modifiers, condition, command, consumed, description};
}

constexpr KeyRow UpRow(KeyCode key, PageSet pages, ModifierRule modifiers,
                       bool (*condition)(const KeyContext&), void (*command)(KeyContext&, const KeyStroke&),
                       std::string_view description) {
  return KeyRow{key, KeyEdge::Up, pages, modifiers, condition, command, No, description};
}

constexpr KeyRow kRows[] = {
    // Key down.
    Row(Enter, kConnection, Any, nullptr, Reconnect, Yes, "reconnect when the button is enabled"),
    Row(Enter, kTablePage, Any, nullptr, SendTable, Yes, "SendToConverterRam"),
    Row(Enter, kDashboard, Any, nullptr, DashboardEnter, Yes,
        "manual borders while recording: mark LastMaf learned; otherwise apply the correction"),
    Row(Enter, kLogPage, Any, nullptr, LearningPass, Yes, "the learning pass"),
    Row(Escape, kAnyPage, Any, nullptr, FocusAndLeaveBorders, No,
        "focus to the page control; F10…F12 back to F1"),
    Row(Space, kAnyPage, Any, nullptr, MarkerDown, Yes, "marker held"),
    Row(Left, kDashboard, Any, nullptr, DashboardLeftRight, Yes, "dashboard Left"),
    Row(Right, kDashboard, Any, nullptr, DashboardLeftRight, Yes, "dashboard Right"),
    Row(Left, kTablePage, Any, nullptr, TableLeftRight, Yes, "selected slider -1"),
    Row(Right, kTablePage, Any, nullptr, TableLeftRight, Yes, "selected slider +1"),
    Row(Left, kAnyPage, Any, nullptr, Nothing, Yes, "nothing"),
    Row(Right, kAnyPage, Any, nullptr, Nothing, Yes, "nothing"),
    Row(Up, kDashboard, Any, nullptr, DashboardUpDown, Yes, "dashboard parameter up"),
    Row(Down, kDashboard, Any, nullptr, DashboardUpDown, Yes, "dashboard parameter down"),
    Row(Up, kTablePage, Any, nullptr, TableUpDown, Yes, "table slider +1"),
    Row(Down, kTablePage, Any, nullptr, TableUpDown, Yes, "table slider -1"),
    Row(Up, kLogPage, Any, nullptr, LogUpDown, Yes, "log slider up"),
    Row(Down, kLogPage, Any, nullptr, LogUpDown, Yes, "log slider down"),
    Row(Up, kConnection | kSetup, Any, nullptr, Nothing, Yes, "nothing"),
    Row(Down, kConnection | kSetup, Any, nullptr, Nothing, Yes, "nothing"),
    Row(Delete, kAnyPage, Any, nullptr, UnmarkLearned, Yes, "unmark the MAF beginning's point"),
    Row(Digit1, kAnyPage, Any, nullptr, ShowPage<kConnectionPagePosition>, Yes, "connection page"),
    Row(Digit2, kAnyPage, Any, nullptr, ShowPage<kTablePagePosition>, Yes, "table page"),
    Row(Digit3, kAnyPage, Any, nullptr, ShowPage<kLogPagePosition>, Yes, "log page"),
    Row(Digit4, kAnyPage, Any, nullptr, ShowPage<kDashboardPagePosition>, Yes, "dashboard"),
    Row(Digit5, kAnyPage, Any, nullptr, ShowPage<kSetupPagePosition>, Yes, "setup page"),
    Row(Digit8, kAnyPage, Any, nullptr, OneToOne, Yes, "the 1:1 table"),
    Row(A, kAnyPage, Any, nullptr, ToggleAutocorrection, Yes, "autocorrection on/off"),
    Row(E, kAnyPage, Any, LiveDataRunning, TempCorrectionKey<TempCorrection::Ect>, Yes,
        "the correction into ECTCorr"),
    Row(I, kAnyPage, Any, LiveDataRunning, TempCorrectionKey<TempCorrection::Iat>, Yes,
        "the correction into IATCorr"),
    Row(E, kAnyPage, Any, StartEnabled, Nothing, No, "nothing while stopped"),
    Row(I, kAnyPage, Any, StartEnabled, Nothing, No, "nothing while stopped"),
    Row(L, kLogPage, Any, nullptr, ToggleMafLimitLock, No, "MAF limit lock"),
    Row(O, kAnyPage, Any, nullptr, ClearWindowLearned, Yes, "clear the window's learned points"),
    Row(P, kAnyPage, Any, nullptr, ClearAllLearned, Yes, "clear all learned points"),
    Row(R, kAnyPage, Any, nullptr, ResetConverter, No, "converter reset"),
    Row(S, kAnyPage, NoCtrl, nullptr, StartOrStop, Yes, "Start and the dashboard, or Stop and the log page"),
    Row(S, kAnyPage, Ctrl, nullptr, SaveAll, Yes, "Save all"),
    Row(T, kAnyPage, Any, nullptr, TakeConverterOutput, No, "take the converter's output"),
    Row(Z, kAnyPage, CtrlNoShift, nullptr, Undo, Yes, "undo"),
    Row(Z, kAnyPage, CtrlShift, nullptr, Redo, Yes, "redo"),
    Row(Z, kAnyPage, NoCtrl, nullptr, Nothing, Yes, "nothing"),
    Row(F1, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "correction"),
    Row(F2, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "O2 reference"),
    Row(F3, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "none"),
    Row(F4, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "B time"),
    Row(F5, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "T time"),
    Row(F6, kDashboard, Any, nullptr, ToggleExtrapolate, FunctionKeyRule, "extrapolate"),
    Row(F7, kDashboard, Any, nullptr, SetBeginOfTableAsLearned, FunctionKeyRule, "beginning learned"),
    Row(F8, kDashboard, Any, nullptr, ToggleManualBorders, FunctionKeyRule, "manual borders"),
    Row(F9, kDashboard, Any, nullptr, ToggleToyota, FunctionKeyRule, "Toyota mode"),
    Row(F10, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "Delta"),
    Row(F11, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "MAF beginning"),
    Row(F12, kDashboard, Any, nullptr, SelectDashParameter, FunctionKeyRule, "MAF end"),
    Row(F1, kTablePage, Any, nullptr, SelectTableParameter, No, "MAF smoothing"),
    Row(F2, kTablePage, Any, nullptr, SelectTableParameter, No, "TPS smoothing"),
    Row(F3, kTablePage, Any, nullptr, SelectTableParameter, No, "RPM smoothing"),
    Row(F4, kTablePage, Any, nullptr, SelectTableParameter, No, "MAF sampling time"),
    Row(F5, kTablePage, Any, nullptr, SelectTableParameter, No, "threshold"),
    Row(F6, kTablePage, Any, nullptr, SelectTableParameter, No, "enrichment"),
    Row(F7, kTablePage, Any, nullptr, SelectTableParameter, No, "enleanment"),
    Row(F8, kTablePage, Any, nullptr, SelectTableParameter, No, "no slider"),
    Row(F9, kTablePage, Any, nullptr, SelectTableParameter, No, "no slider"),
    Row(F10, kTablePage, Any, nullptr, SelectTableParameter, No, "no slider"),
    Row(F11, kTablePage, Any, nullptr, SelectTableParameter, No, "no slider"),
    Row(F12, kTablePage, Any, nullptr, SelectTableParameter, No, "no slider"),
    Row(F1, kLogPage, Any, nullptr, SelectLogParameter, No, "O2 target and reference"),
    Row(F2, kLogPage, Any, nullptr, SelectLogParameter, No, "MAF limit"),
    // Key up.
    UpRow(Space, kAnyPage, Any, nullptr, MarkerUp, "marker released"),
    UpRow(Left, kDashboard, NoCtrl, BordersNotSelected, BordersFromTable, "border sliders follow the table"),
    UpRow(Right, kDashboard, NoCtrl, BordersNotSelected, BordersFromTable, "border sliders follow the table"),
    UpRow(Up, kDashboard, Any, CorrectionSelectedAndTableEdited, SendThenPushHistory,
          "send the edited table and record it"),
    UpRow(Down, kDashboard, Any, CorrectionSelectedAndTableEdited, SendThenPushHistory,
          "send the edited table and record it"),
    UpRow(Z, kAnyPage, Ctrl, nullptr, SendTable, "send the table after undo or redo"),
};

bool ModifiersMatch(ModifierRule rule, const KeyStroke& stroke) {
  switch (rule) {
    case Any:
      return true;
    case Ctrl:
      return stroke.Ctrl;
    case NoCtrl:
      return !stroke.Ctrl;
    case CtrlNoShift:
      return stroke.Ctrl && !stroke.Shift;
    case CtrlShift:
      return stroke.Ctrl && stroke.Shift;
  }
  return false;
}

}  // namespace

std::span<const KeyRow> KeyTableRows() {
  return kRows;
}

KeyCommands::KeyCommands(const KeyModels& models, KeyWindow& window) : Context{models, window} {
  KeySelection& selection = Context.Models.Selection;
  SelectionFollow +=
      Context.Models.Correction.CorrectionChanged.Subscribe([&selection] { selection.CorrectionChanged(); });
  SelectionFollow += Context.Models.Correction.PulsLimitChanged.Subscribe([&selection, &window] {
    if (selection.DeltaTouched()) {
      window.FocusMainPageControl();
    }
  });
}

const KeyRow* KeyCommands::Find(KeyEdge edge, const KeyStroke& stroke) const {
  const PageSet page = PageBit(Context.Window.CurrentPage());
  for (const KeyRow& row : kRows) {
    if (row.Key == stroke.Key && row.Edge == edge && (row.Pages & page) != 0 &&
        ModifiersMatch(row.Modifiers, stroke) && (row.Condition == nullptr || row.Condition(Context))) {
      return &row;
    }
  }
  return nullptr;
}

bool KeyCommands::KeyDown(const KeyStroke& stroke) {
  const KeyRow* row = Find(KeyEdge::Down, stroke);
  bool consumed = false;
  if (row != nullptr) {
    row->Command(Context, stroke);
    consumed = row->Consumed == Yes;
  }
  // The function key rule.
  if (FunctionKeyNumber(stroke.Key) != 0 && Context.Window.CurrentPage() == kDashboardPagePosition) {
    Context.Window.FocusMainPageControl();
    consumed = true;
  }
  return consumed;
}

void KeyCommands::KeyUp(const KeyStroke& stroke) {
  if (const KeyRow* row = Find(KeyEdge::Up, stroke)) {
    row->Command(Context, stroke);
  }
}

}  // namespace orvel::ui
