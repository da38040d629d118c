#pragma once

// The port selection procedure (run when the user picks a port) and the
// reconnect button, as logic. The window takes part through ConnectionPage.

#include <chrono>
#include <functional>
#include <string>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/rxtx.h"

namespace orvel {

// What the procedure needs of the main window.
class ConnectionPage {
 public:
  virtual ~ConnectionPage() = default;
  // The port currently chosen in the port list.
  [[nodiscard]] virtual std::string ChosenPort() const = 0;
  // The "Firmware Recovery" box.
  [[nodiscard]] virtual bool RecoveryTicked() const = 0;
  virtual void SetFirmwareLabel(const std::string& text) = 0;
  // The hardware-version and oscillator labels.
  virtual void ShowHardwareLabels(bool visible) = 0;
  // Enables the read-from-converter and write-to-converter actions.
  virtual void EnableConverterActions() = 0;
  virtual void EnableReconnect() = 0;
  // Switches the main page control to the dashboard.
  virtual void ShowDashboardPage() = 0;

 protected:
  ConnectionPage() = default;
  ConnectionPage(const ConnectionPage&) = default;
  ConnectionPage& operator=(const ConnectionPage&) = default;
};

// The converter operations the procedure runs once they exist. An empty step
// is skipped. Each may throw; the procedure then shows kTryAgain.
struct PortSelectionSteps {
  // Stops live data and reads the table; reports its own errors. Runs right
  // after the port is opened, before the settling wait.
  std::function<void()> ReadFromConverter;
  // Identifies the converter and returns its firmware text, shown after
  // "FW_Version:" in the firmware label.
  std::function<std::string()> IdentifyFirmware;
  // Asks a converter of the contactless kind for its sensor; it shows the
  // hardware labels again (they are hidden just before) when it finds one.
  std::function<void()> QueryContactlessSensor;
  // The settling wait after opening; tests replace it.
  std::function<void(std::chrono::milliseconds)> Sleep;
};

class PortSelection {
 public:
  static constexpr std::chrono::milliseconds SettleTime{300};

  PortSelection(TOrvelBroadcaster& bus, TRXTX& link, ConnectionPage& page, UserMessages& messages,
                PortSelectionSteps steps = {});

  // The port list's change handler: opens `portName` over the bus and, unless
  // the recovery box is ticked, reads and identifies the converter and shows
  // the dashboard. Any failure shows kTryAgain.
  void SelectPort(const std::string& portName);
  // The reconnect button: closes the port (ignoring errors) and runs the
  // procedure again for the port chosen in the list.
  void Reconnect();

 private:
  void RunProcedure(const std::string& portName);

  TOrvelBroadcaster& Bus;
  TRXTX& Link;
  ConnectionPage& Page;
  UserMessages& Messages;
  PortSelectionSteps Steps;
};

}  // namespace orvel
