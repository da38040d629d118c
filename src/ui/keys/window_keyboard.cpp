#include "ui/keys/window_keyboard.h"

#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include "ui/main_window.h"
#include "ui/pages/correction_group.h"
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

void WindowKeyboard::WatchFocus(TForm1& form) {
  QTabWidget* pageControl = &form.MainPageControl();
  const auto toPageControl = [pageControl] { pageControl->setFocus(Qt::OtherFocusReason); };
  // A slider that takes the focus selects its parameter as its function key
  // would, and hands the focus on to the page control.
  const auto selectsOnDashboard = [this, toPageControl](int key) {
    return [this, toPageControl, key] {
      SelectionState.SelectDash(key);
      toPageControl();
    };
  };
  DashboardPage& dashboard = form.Dashboard();
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

  TableGraphPage& tableGraph = form.TableGraph();
  for (std::size_t i = 0; i < tableGraph.Sliders.size(); ++i) {
    const int key = static_cast<int>(i) + 1;
    Focus.Watch(tableGraph.Sliders[i], [this, toPageControl, key] {
      SelectionState.SelectTable(key);
      toPageControl();
    });
  }
}

}  // namespace orvel::ui
