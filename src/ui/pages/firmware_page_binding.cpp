#include "ui/pages/firmware_page_binding.h"

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
  // The update runs on a worker; the event loop paints the bar.
  Page.ShowProgress(percent);
}

}  // namespace orvel::ui
