#include "link/port_selection.h"

#include <cerrno>
#include <string>
#include <thread>
#include <utility>

#include "link/link_errors.h"
#include "link/serial_port.h"

namespace orvel {

PortSelection::PortSelection(TOrvelBroadcaster& bus, TRXTX& link, ConnectionPage& page,
                             UserMessages& messages, PortSelectionSteps steps)
    : Bus(bus), Link(link), Page(page), Messages(messages), Steps(std::move(steps)) {
  if (!Steps.Sleep) {
    Steps.Sleep = [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); };
  }
}

void PortSelection::SelectPort(const std::string& portName) {
  try {
    RunProcedure(portName);
  } catch (const EComPort& error) {
    // A port that exists but may not be opened by this user says why.
    if (error.SystemError() == EACCES || error.SystemError() == EPERM) {
      Messages.ShowMessage(std::string(kTryAgain) + PortPermissionText(portName, PortGroup(portName)));
    } else {
      Messages.ShowMessage(kTryAgain);
    }
  } catch (...) {
    // Whatever failed (the port would not open, the converter did not
    // answer), the user tries again; the procedure ends here.
    Messages.ShowMessage(kTryAgain);
  }
}

void PortSelection::Reconnect() {
  Link.Close();
  SelectPort(Page.ChosenPort());
}

void PortSelection::RunProcedure(const std::string& portName) {
  TMsgSetComPort setPort;
  setPort.Port = portName;
  Bus.Broadcast(setPort);

  if (Page.RecoveryTicked()) {
    // A converter in recovery mode answers no ordinary command: only let the
    // line settle and start clean for the firmware update.
    Steps.Sleep(SettleTime);
    Link.ClearBuffers();
    return;
  }

  if (Steps.ReadFromConverter) {
    Steps.ReadFromConverter();
  }
  Steps.Sleep(SettleTime);
  Link.ClearBuffers();
  if (Steps.IdentifyFirmware) {
    Page.SetFirmwareLabel("FW_Version:" + Steps.IdentifyFirmware());
  }
  if (Steps.QueryContactlessSensor) {
    Page.ShowHardwareLabels(false);
    Steps.QueryContactlessSensor();
  }
  Page.EnableConverterActions();
  if (Link.Connected() != 0) {
    Page.EnableReconnect();
    Page.ShowDashboardPage();
  }
}

}  // namespace orvel
