#include "ui/keys/pages_key_window.h"

#include <QTabWidget>
#include <utility>

#include "live/log.h"
#include "ui/connection_page.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui {

PagesKeyWindow::PagesKeyWindow(QTabWidget& pageControl, const ConnectionPageWidget& connection,
                               const DashboardPage& dashboard, const Log& liveLog, KeyWindowCommands commands)
    : PageControl(pageControl),
      Connection(connection),
      Dashboard(dashboard),
      LiveLog(liveLog),
      Commands(std::move(commands)) {}

int PagesKeyWindow::CurrentPage() const {
  return PageControl.currentIndex();
}

void PagesKeyWindow::ShowPage(int page) {
  // Unlike a click on a tab, this leaves the modifier latches as they are.
  PageControl.setCurrentIndex(page);
}

void PagesKeyWindow::FocusMainPageControl() {
  PageControl.setFocus(Qt::OtherFocusReason);
}

bool PagesKeyWindow::StartEnabled() const {
  return !LiveLog.IsRunning();
}

bool PagesKeyWindow::StopEnabled() const {
  return LiveLog.IsRunning();
}

void PagesKeyWindow::RunStart() {
  Commands.Start();
}

void PagesKeyWindow::RunStop() {
  Commands.Stop();
}

void PagesKeyWindow::SaveAll() {
  Commands.SaveAll();
}

void PagesKeyWindow::MakeOneToOne() {
  Commands.MakeOneToOne();
}

bool PagesKeyWindow::ReconnectEnabled() const {
  return Connection.ReconnectEnabled();
}

void PagesKeyWindow::Reconnect() {
  Commands.Reconnect();
}

bool PagesKeyWindow::CorrectionFieldFocused() const {
  return Dashboard.CorrectionFieldHasFocus();
}

bool PagesKeyWindow::DeltaFieldFocused() const {
  return Dashboard.DeltaFieldHasFocus();
}

}  // namespace orvel::ui
