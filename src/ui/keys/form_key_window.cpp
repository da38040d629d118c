#include "ui/keys/form_key_window.h"

#include <QPushButton>

#include "ui/connection_page.h"
#include "ui/main_window.h"

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
  return Form.ActionStart->isEnabled();
}

bool FormKeyWindow::StopEnabled() const {
  return Form.ActionStop->isEnabled();
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
  return false;
}

bool FormKeyWindow::DeltaFieldFocused() const {
  return false;
}

void FormKeyWindow::RedrawLogChart() {}

void FormKeyWindow::ModelsChanged() {}

}  // namespace orvel::ui
