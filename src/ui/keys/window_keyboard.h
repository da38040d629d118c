#pragma once

// Everything the main window needs for its keyboard: the selection state and
// its labels, the focus rules, the converter reset, the key table and the
// application-wide filter that feeds it. TForm1 creates one after its models.

#include <memory>

#include "core/key_selection.h"
#include "link/converter_reset.h"
#include "ui/keys/focus_selection.h"
#include "ui/keys/form_key_window.h"
#include "ui/keys/key_dispatcher.h"
#include "ui/keys/key_table.h"
#include "ui/keys/selection_labels.h"

namespace orvel {
class TRXTX;
class UserMessages;
}  // namespace orvel

namespace orvel::ui {

class TForm1;
class KeyboardModifiers;

struct WindowKeyboardModels {
  TRXTX& Link;
  TableTransfer& Transfer;
  Table& MainTable;
  CorrectionWindowModel& Correction;
  O2ReferenceModel& Reference;
  LogLearningControls& Learning;
  Log& LogModel;
  KeyboardModifiers& Modifiers;
  UserMessages& Messages;
};

class WindowKeyboard {
 public:
  WindowKeyboard(TForm1& form, const WindowKeyboardModels& models);
  WindowKeyboard(const WindowKeyboard&) = delete;
  WindowKeyboard& operator=(const WindowKeyboard&) = delete;

  [[nodiscard]] KeySelection& Selection() { return SelectionState; }
  [[nodiscard]] KeyCommands& Commands() { return Table; }

 private:
  void WatchFocus(TForm1& form);

  KeySelection SelectionState;
  ConverterReset Reset;
  FormKeyWindow Window;
  KeyCommands Table;
  SelectionLabels Labels;
  FocusSelection Focus;
  KeyDispatcher Dispatcher;  // last: no key arrives before the rest exists
};

}  // namespace orvel::ui
