#include "ui/pages/firmware_page_binding.h"

#include <QApplication>
#include <QCheckBox>

#include "ui/pages/firmware_page.h"

namespace orvel::ui {

FirmwarePageBinding::FirmwarePageBinding(ui::FirmwarePage& page, QCheckBox& recovery,
                                         std::function<bool()> liveDataRunning)
    : Page(page), Recovery(recovery), Running(std::move(liveDataRunning)) {}

bool FirmwarePageBinding::RecoveryTicked() const {
  return Recovery.isChecked();
}

void FirmwarePageBinding::UntickRecovery() {
  Recovery.setChecked(false);
}

void FirmwarePageBinding::SetProgress(int percent) {
  Page.ProgressBar1->setValue(percent);
  // The update blocks the event loop; let the bar paint.
  if (Page.isVisible()) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

}  // namespace orvel::ui
