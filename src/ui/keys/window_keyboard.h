#pragma once

// Everything the main window needs for its keyboard: the selection state and
// its labels, the focus rules on the pages' focus signals, the converter
// reset, the key table and the application-wide filter that feeds it. The
// window creates one after its models and pages.

#include <QObject>
#include <functional>
#include <memory>

#include "core/key_selection.h"
#include "link/converter_reset.h"
#include "ui/keys/key_dispatcher.h"
#include "ui/keys/key_table.h"
#include "ui/keys/pages_key_window.h"
#include "ui/keys/selection_labels.h"

class QTabWidget;
class QWidget;

namespace orvel {
class TRXTX;
class UserMessages;
}  // namespace orvel

namespace orvel::ui {

class KeyboardModifiers;
class ConnectionPageWidget;
class DashboardPage;
class TableGraphPage;
class LogPage;

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
  // True while a converter job (a connect, a read, a firmware update) has
  // the link: the reset key then sends nothing.
  std::function<bool()> LinkBusy{};
};

// The window's parts the keys act on and watch.
struct WindowKeyboardPages {
  // The top-level window whose keys the keyboard takes.
  QWidget& Window;
  QTabWidget& PageControl;
  ConnectionPageWidget& Connection;
  DashboardPage& Dashboard;
  TableGraphPage& TableGraph;
  LogPage& LogView;
};

class WindowKeyboard {
 public:
  WindowKeyboard(const WindowKeyboardPages& pages, KeyWindowCommands commands,
                 const WindowKeyboardModels& models);
  WindowKeyboard(const WindowKeyboard&) = delete;
  WindowKeyboard& operator=(const WindowKeyboard&) = delete;

  [[nodiscard]] KeySelection& Selection() { return SelectionState; }
  [[nodiscard]] KeyCommands& Commands() { return Table; }

 private:
  void WatchFocus(const WindowKeyboardPages& pages);

  KeySelection SelectionState;
  ConverterReset Reset;
  PagesKeyWindow Window;
  KeyCommands Table;
  SelectionLabels Labels;
  // The context of the connections to the pages' focus signals: they end
  // with the keyboard.
  QObject FocusFollow;
  KeyDispatcher Dispatcher;  // last: no key arrives before the rest exists
};

}  // namespace orvel::ui
