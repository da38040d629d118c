#include "ui/pages/firmware_page_binding.h"

#include <QApplication>

#include "ui/connection_page.h"
#include "ui/pages/firmware_page.h"

namespace orvel::ui {

FirmwarePageBinding::FirmwarePageBinding(ui::FirmwarePage& page, ConnectionPageWidget& connection,
                                         std::function<bool()> liveDataRunning)
    : Page(page), Connection(connection), Running(std::move(liveDataRunning)) {}

bool FirmwarePageBinding::RecoveryTicked() const {
  return Connection.RecoveryTicked();
}

void FirmwarePageBinding::UntickRecovery() {
  Connection.UntickRecovery();
}

void FirmwarePageBinding::SetProgress(int percent) {
  Page.ShowProgress(percent);
  // The update blocks the event loop; let the bar paint.
  if (Page.isVisible()) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

}  // namespace orvel::ui
