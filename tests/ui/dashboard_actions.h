#pragma once

// The dashboard bar's actions, found by their names under the dashboard page:
// "ActionStart", "ActionStop", "ActionReadCoverter", "ActionWriteConverter"
// and "ActionSaveALL".

#include <QAction>

#include "find_by_name.h"
#include "ui/main_window.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui::test {

inline QAction& DashboardAction(TForm1& window, const char* name) {
  return Find<QAction>(window.Dashboard(), name);
}

}  // namespace orvel::ui::test
