#pragma once

// The keyboard commands of the main window as one table: every row names a
// key, whether it acts when the key goes down or comes up, the pages it acts
// on, what it asks of Shift and Ctrl, a condition, the command and whether
// the key is consumed (kept from the focused control). KeyCommands looks the
// first matching row up and runs it on the models; keys no row names pass on.
//
// Threads: main thread only.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "core/signal.h"
#include "ui/keys/key_codes.h"
#include "ui/keys/key_window.h"

namespace orvel {
class Table;
class CorrectionWindowModel;
class O2ReferenceModel;
class LogLearningControls;
class Log;
class TableTransfer;
class ConverterReset;
class KeySelection;
}  // namespace orvel

namespace orvel::ui {

// Page positions of the main page control.
inline constexpr int kConnectionPagePosition = 0;
inline constexpr int kTablePagePosition = 1;
inline constexpr int kLogPagePosition = 2;
inline constexpr int kDashboardPagePosition = 3;
inline constexpr int kSetupPagePosition = 4;

// The models the commands work on; all outlive the commands.
struct KeyModels {
  Table& MainTable;
  CorrectionWindowModel& Correction;
  O2ReferenceModel& Reference;
  LogLearningControls& Learning;
  Log& LogModel;
  TableTransfer& Transfer;
  ConverterReset& Reset;
  KeySelection& Selection;
  // True while a converter job has the link; empty: never.
  std::function<bool()> LinkBusy{};
};

struct KeyContext {
  KeyModels Models;
  KeyWindow& Window;
};

enum class KeyEdge { Down, Up };

// Pages as a set of bits, one per page position.
using PageSet = std::uint8_t;
constexpr PageSet PageBit(int position) {
  return static_cast<PageSet>(1U << static_cast<unsigned>(position));
}
inline constexpr PageSet kAnyPage = 0x1F;

enum class ModifierRule { Any, Ctrl, NoCtrl, CtrlNoShift, CtrlShift };

// Consumed keys never reach the focused control. Function keys on the
// dashboard are consumed by the function key rule (they also send the focus
// to the main page control) whatever their row says.
enum class Consumption { Yes, No, FunctionKeyRule };

struct KeyRow {
  KeyCode Key;
  KeyEdge Edge;
  PageSet Pages;
  ModifierRule Modifiers;
  bool (*Condition)(const KeyContext&);  // nullptr: always
  void (*Command)(KeyContext&, const KeyStroke&);
  Consumption Consumed;
  std::string_view Description;
};

// Every row, key-down rows first, in the order they are looked at.
std::span<const KeyRow> KeyTableRows();

class KeyCommands {
 public:
  // Hooks the selection to the correction model's changes of the correction
  // and of "Delta" (the keyboard's selection follows them wherever they come
  // from).
  KeyCommands(const KeyModels& models, KeyWindow& window);
  KeyCommands(const KeyCommands&) = delete;
  KeyCommands& operator=(const KeyCommands&) = delete;

  // The row a key would run now, or nullptr when none matches.
  [[nodiscard]] const KeyRow* Find(KeyEdge edge, const KeyStroke& stroke) const;
  // A key went down (or repeats): runs its row; true when the key is consumed.
  bool KeyDown(const KeyStroke& stroke);
  // A key came up: runs its row. Nothing is consumed on key-up.
  void KeyUp(const KeyStroke& stroke);

 private:
  KeyContext Context;
  Subscriptions SelectionFollow;
};

}  // namespace orvel::ui
