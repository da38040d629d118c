#include "ui/keys/window_keyboard.h"

#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <utility>

#include "ui/pages/correction_group.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui {

WindowKeyboard::WindowKeyboard(const WindowKeyboardPages& pages, KeyWindowCommands commands,
                               const WindowKeyboardModels& models)
    : Reset(models.Link, models.Transfer, models.MainTable, models.Messages),
      Window(pages.PageControl, pages.Connection, pages.Dashboard, models.LogModel, std::move(commands)),
      Table(KeyModels{models.MainTable, models.Correction, models.Reference, models.Learning, models.LogModel,
                      models.Transfer, Reset, SelectionState},
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
  const auto selectsOnDashboard = [this, toPageControl](int key) {
    return [this, toPageControl, key] {
      SelectionState.SelectDash(key);
      toPageControl();
    };
  };
  DashboardPage& dashboard = pages.Dashboard;
  Focus.Watch(dashboard.TrackBarRefO2, selectsOnDashboard(2));
  Focus.Watch(dashboard.TrackBarB, selectsOnDashboard(4));
  Focus.Watch(dashboard.TrackBarT, selectsOnDashboard(5));
  CorrectionGroup& group = *dashboard.GroupBoxCorr;
  Focus.Watch(group.TrackBarMafNach, toPageControl);
  Focus.Watch(group.TrackBarMafKon, toPageControl);
  Focus.Watch(group.UpDown1, [this, toPageControl] {
    SelectionState.DeltaTouched();
    toPageControl();
  });
  // The correction field keeps the focus.
  Focus.Watch(group.UpDownCorrection, [this] { SelectionState.CorrectionChanged(); });

  // The table graph's sliders tell which parameter took the focus.
  QObject::connect(&pages.TableGraph, &TableGraphPage::ParameterSelected, &Focus,
                   [this, toPageControl](int parameter) {
                     SelectionState.SelectTable(parameter);
                     toPageControl();
                   });
}

}  // namespace orvel::ui
