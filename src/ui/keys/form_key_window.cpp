#include "ui/keys/form_key_window.h"

#include <QPushButton>
#include <QSpinBox>

#include "live/log.h"
#include "ui/connection_page.h"
#include "ui/main_window.h"
#include "ui/pages/correction_group.h"
#include "ui/pages/dashboard_page.h"
#include "ui/pages/log_page.h"

namespace orvel::ui {

int FormKeyWindow::CurrentPage() const {
  return Form.MainPageControl().currentIndex();
}

void FormKeyWindow::ShowPage(int page) {
  Form.ShowPageByKey(page);
}

void FormKeyWindow::FocusMainPageControl() {
  Form.MainPageControl().setFocus(Qt::OtherFocusReason);
}

bool FormKeyWindow::StartEnabled() const {
  return !Form.LogModel().IsRunning();
}

bool FormKeyWindow::StopEnabled() const {
  return Form.LogModel().IsRunning();
}

void FormKeyWindow::RunStart() {
  Form.ActionStartExecute();
}

void FormKeyWindow::RunStop() {
  Form.ActionStopExecute();
}

void FormKeyWindow::SaveAll() {
  Form.ActionSaveALL->trigger();
}

void FormKeyWindow::MakeOneToOne() {
  Form.ActionTableOneToOne->trigger();
}

bool FormKeyWindow::ReconnectEnabled() const {
  return Form.ConnectionPage().SpeedButtonReconnect->isEnabled();
}

void FormKeyWindow::Reconnect() {
  Form.ConnectionPage().SpeedButtonReconnect->click();
}

bool FormKeyWindow::CorrectionFieldFocused() const {
  return Form.Dashboard().GroupBoxCorr->UpDownCorrection->hasFocus();
}

bool FormKeyWindow::DeltaFieldFocused() const {
  return Form.Dashboard().GroupBoxCorr->UpDown1->hasFocus();
}

}  // namespace orvel::ui
