#include "ui/connection_page_binding.h"

#include <utility>

#include "ui/connection_page.h"
#include "ui/qt_text.h"

namespace orvel::ui {

ConnectionPageBinding::ConnectionPageBinding(ConnectionPageWidget& page, ConnectionPageLinks links,
                                             const std::function<PortSelectionSteps(SensorQueryView&)>& steps)
    : Page(page),
      Links(std::move(links)),
      Procedure(Links.Bus, Links.Link, *this, Links.Messages, Links.Job, steps(*this)) {}

std::string ConnectionPageBinding::ChosenPort() const {
  return Links.DevicePath(ToStdString(Page.ChosenPortEntry()));
}

bool ConnectionPageBinding::RecoveryTicked() const {
  return Page.RecoveryTicked();
}

void ConnectionPageBinding::SetFirmwareLabel(const std::string& text) {
  Page.SetFirmwareLabel(ToQString(text));
}

void ConnectionPageBinding::ShowHardwareLabels(bool visible) {
  Page.ShowHardwareLabels(visible);
}

void ConnectionPageBinding::EnableConverterActions() {
  Links.EnableConverterActions();
}

void ConnectionPageBinding::EnableReconnect() {
  Page.EnableReconnect();
}

void ConnectionPageBinding::ShowDashboardPage() {
  Links.ShowDashboardPage();
}

void ConnectionPageBinding::ShowConnecting(bool connecting) {
  Page.ShowConnecting(connecting);
}

void ConnectionPageBinding::ShowContactlessDevice(const TDeviceInfo& device) {
  Page.ShowContactlessHardware(ToQString(HardwareLabelText(device)), ToQString(OscillatorLabelText(device)));
}

void ConnectionPageBinding::ShowSensorSettings(const ContactlessSettings& settings) {
  Page.ShowSensorGroup();
  Page.OfferFirstSensorTypeOnly();
  SensorChoice choice = Page.SensorChoiceShown();
  choice.ShowSettings(settings);
  Page.ShowSensorChoice(choice);
}

}  // namespace orvel::ui
