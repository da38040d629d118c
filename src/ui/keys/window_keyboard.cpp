#include "ui/keys/window_keyboard.h"

#include <QTabWidget>
#include <utility>

#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui {

WindowKeyboard::WindowKeyboard(const WindowKeyboardPages& pages, KeyWindowCommands commands,
                               const WindowKeyboardModels& models)
    : Reset(models.Link, models.Transfer, models.MainTable, models.Messages),
      Window(pages.PageControl, pages.Connection, pages.Dashboard, models.LogModel, std::move(commands)),
      Table(KeyModels{models.MainTable, models.Correction, models.Reference, models.Learning, models.LogModel,
                      models.Transfer, Reset, SelectionState, models.LinkBusy},
            Window),
      Labels(SelectionState, pages.Dashboard, pages.TableGraph, pages.LogView),
      Dispatcher(pages.Window, Table, models.Modifiers) {
  WatchFocus(pages);
}

void WindowKeyboard::WatchFocus(const WindowKeyboardPages& pages) {
  QTabWidget* pageControl = &pages.PageControl;
  const auto toPageControl = [pageControl] { pageControl->setFocus(Qt::OtherFocusReason); };
  // A slider that takes the focus selects its parameter as its function key
  // would, and hands the focus on to the page control.
  const DashboardPage* dashboard = &pages.Dashboard;
  QObject::connect(dashboard, &DashboardPage::ParameterFocused, &FocusFollow, [this, toPageControl](int key) {
    SelectionState.SelectDash(key);
    toPageControl();
  });
  QObject::connect(dashboard, &DashboardPage::BorderSliderFocused, &FocusFollow, toPageControl);
  QObject::connect(dashboard, &DashboardPage::DeltaFocused, &FocusFollow, [this, toPageControl] {
    SelectionState.DeltaTouched();
    toPageControl();
  });
  // The correction field keeps the focus.
  QObject::connect(dashboard, &DashboardPage::CorrectionFieldFocused, &FocusFollow,
                   [this] { SelectionState.CorrectionChanged(); });

  // The table graph's sliders tell which parameter took the focus.
  QObject::connect(&pages.TableGraph, &TableGraphPage::ParameterSelected, &FocusFollow,
                   [this, toPageControl](int parameter) {
                     SelectionState.SelectTable(parameter);
                     toPageControl();
                   });
}

}  // namespace orvel::ui
