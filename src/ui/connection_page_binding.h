#pragma once

#include <functional>
#include <string>

#include "link/contactless_sensor.h"
#include "link/converter_steps.h"
#include "link/port_selection.h"

namespace orvel::ui {

class TForm1;

// Lets the port selection procedure drive the main window: it reads the port
// list and the recovery box and writes the labels, actions and page, and it
// shows what the contactless-sensor query found.
class ConnectionPageBinding final : public ConnectionPage, public SensorQueryView {
 public:
  // `devicePath` maps the port list's entry to the device to open (the
  // built-in simulator's entry to its pseudo-terminal). `steps` are the
  // converter operations of the procedure.
  ConnectionPageBinding(TForm1& window, UserMessages& messages,
                        std::function<std::string(const std::string&)> devicePath,
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

  void ShowContactlessDevice(const TDeviceInfo& device) override;
  void ShowSensorSettings(const ContactlessSettings& settings) override;
  [[nodiscard]] const SensorChoice& Choice() const { return Sensor; }

 private:
  TForm1& Window;
  std::function<std::string(const std::string&)> DevicePath;
  SensorChoice Sensor;
  PortSelection Procedure;
};

}  // namespace orvel::ui
