#include "ui/connection_page_binding.h"

#include "ui/connection_page.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace orvel::ui {

ConnectionPageBinding::ConnectionPageBinding(TForm1& window, UserMessages& messages,
                                             std::function<std::string(const std::string&)> devicePath,
                                             const std::function<PortSelectionSteps(SensorQueryView&)>& steps)
    : Window(window),
      DevicePath(std::move(devicePath)),
      Procedure(window.Bus(), *window.Link(), *this, messages, steps(*this)) {}

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
  for (QAction* action : Window.ConverterActions()) {
    action->setEnabled(true);
  }
}

void ConnectionPageBinding::EnableReconnect() {
  Window.ConnectionPage().SpeedButtonReconnect->setEnabled(true);
}

void ConnectionPageBinding::ShowDashboardPage() {
  Window.MainPageControl().setCurrentIndex(TForm1::kDashboardPage);
}

}  // namespace orvel::ui

namespace orvel::ui {

void ConnectionPageBinding::ShowContactlessDevice(const TDeviceInfo& device) {
  ConnectionPageWidget& page = Window.ConnectionPage();
  page.LabelHwVersion->setText(ToQString(HardwareLabelText(device)));
  page.LabelFOsc->setText(ToQString(OscillatorLabelText(device)));
  ShowHardwareLabels(true);
  page.LabelInvertSwitches->hide();
  page.CheckBoxIdleSwitch->hide();
  page.CheckBoxFullSwitch->hide();
}

void ConnectionPageBinding::ShowSensorSettings(const ContactlessSettings& settings) {
  ConnectionPageWidget& page = Window.ConnectionPage();
  page.GroupBoxContactlessSettings->show();
  // Only the first sensor type stays offered once the converter has told its settings.
  while (page.ComboBoxKmaSensorType->count() > 1) {
    page.ComboBoxKmaSensorType->removeItem(page.ComboBoxKmaSensorType->count() - 1);
  }
  Sensor.AngleIndex = page.ComboBoxKmaAngleDegrees->currentIndex();
  Sensor.DirectionIndex = page.ComboBoxKmaDirection->currentIndex();
  Sensor.End = page.ComboBoxKmaCalAtMinOrMaxAngle->currentIndex() == 1 ? CalibrationEnd::MaxAngle
                                                                       : CalibrationEnd::MinAngle;
  Sensor.ShowSettings(settings);
  page.ComboBoxKmaAngleDegrees->setCurrentIndex(Sensor.AngleIndex);
  page.ComboBoxKmaDirection->setCurrentIndex(Sensor.DirectionIndex);
  page.ComboBoxKmaCalAtMinOrMaxAngle->setCurrentIndex(Sensor.End == CalibrationEnd::MaxAngle ? 1 : 0);
}

}  // namespace orvel::ui
