#pragma once

#include <functional>
#include <string>

#include "link/contactless_sensor.h"
#include "link/converter_steps.h"
#include "link/port_selection.h"

namespace orvel::ui {

class ConnectionPageWidget;

// What the port selection needs besides the connection page.
struct ConnectionPageLinks {
  TOrvelBroadcaster& Bus;
  TRXTX& Link;
  UserMessages& Messages;
  // The worker the exchanges after the port's opening run on.
  LinkJob& Job;
  // Maps the port list's entry to the device to open (the built-in
  // simulator's entry to its pseudo-terminal).
  std::function<std::string(const std::string&)> DevicePath;
  // Enables the read and write actions of both bars.
  std::function<void()> EnableConverterActions;
  // Switches the main page control to the dashboard.
  std::function<void()> ShowDashboardPage;
};

// Lets the port selection procedure drive the connection page: it reads the
// port list and the recovery box and writes the labels and the reconnect
// button, and it shows what the contactless-sensor query found.
class ConnectionPageBinding final : public ConnectionPage, public SensorQueryView {
 public:
  // `steps` are the converter operations of the procedure.
  ConnectionPageBinding(ConnectionPageWidget& page, ConnectionPageLinks links,
                        const std::function<PortSelectionSteps(SensorQueryView&)>& steps);

  void SelectPort() { Procedure.SelectPort(ChosenPort()); }
  void Reconnect() { Procedure.Reconnect(); }

  [[nodiscard]] std::string ChosenPort() const override;
  [[nodiscard]] bool RecoveryTicked() const override;
  void SetFirmwareLabel(const std::string& text) override;
  void ShowHardwareLabels(bool visible) override;
  void EnableConverterActions() override;
  void EnableReconnect() override;
  void ShowDashboardPage() override;
  void ShowConnecting(bool connecting) override;

  void ShowContactlessDevice(const TDeviceInfo& device) override;
  void ShowSensorSettings(const ContactlessSettings& settings) override;

 private:
  ConnectionPageWidget& Page;
  ConnectionPageLinks Links;
  PortSelection Procedure;
};

}  // namespace orvel::ui
