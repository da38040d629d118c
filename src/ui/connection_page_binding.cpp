#include "ui/connection_page_binding.h"

#include "ui/connection_page.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace orvel::ui {

ConnectionPageBinding::ConnectionPageBinding(TForm1& window, UserMessages& messages,
                                             std::function<std::string(const std::string&)> devicePath)
    : Window(window),
      DevicePath(std::move(devicePath)),
      Procedure(window.Bus(), *window.Link(), *this, messages) {}

std::string ConnectionPageBinding::ChosenPort() const {
  return DevicePath(ToStdString(Window.ConnectionPage().ComComboBox1->currentText()));
}

bool ConnectionPageBinding::RecoveryTicked() const {
  return Window.ConnectionPage().CheckBoxFirmwareRecovery->isChecked();
}

void ConnectionPageBinding::SetFirmwareLabel(const std::string& text) {
  Window.ConnectionPage().LabelFirmware->setText(ToQString(text));
}

void ConnectionPageBinding::ShowHardwareLabels(bool visible) {
  Window.ConnectionPage().LabelHwVersion->setVisible(visible);
  Window.ConnectionPage().LabelFOsc->setVisible(visible);
}

void ConnectionPageBinding::EnableConverterActions() {
  Window.ActionReadCoverter->setEnabled(true);
  Window.ActionWriteConverter->setEnabled(true);
}

void ConnectionPageBinding::EnableReconnect() {
  Window.ConnectionPage().SpeedButtonReconnect->setEnabled(true);
}

void ConnectionPageBinding::ShowDashboardPage() {
  Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
}

}  // namespace orvel::ui
