#include "ui/keys/window_keyboard.h"

#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui {

WindowKeyboard::WindowKeyboard(TForm1& form, const WindowKeyboardModels& models)
    : Reset(models.Link, models.Transfer, models.MainTable, models.Messages),
      Window(form),
      Table(KeyModels{models.MainTable, models.Correction, models.Reference, models.Learning, models.LogModel,
                      models.Transfer, Reset, SelectionState},
            Window),
      Labels(SelectionState, form.Dashboard(), form.TableGraph(), form.LogView()),
      Dispatcher(form, Table, models.Modifiers) {
  WatchFocus(form);
}

void WindowKeyboard::WatchFocus(TForm1& /*form*/) {}

}  // namespace orvel::ui
