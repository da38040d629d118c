#include "link/port_selection.h"

#include <cerrno>
#include <string>
#include <utility>

#include "link/link_errors.h"
#include "link/serial_port.h"

namespace orvel {

PortSelection::PortSelection(TOrvelBroadcaster& bus, TRXTX& link, ConnectionPage& page,
                             UserMessages& messages, LinkJob& job, PortSelectionSteps steps)
    : Bus(bus), Link(link), Page(page), Messages(messages), Job(job), Steps(std::move(steps)) {}

PortSelection::~PortSelection() {
  Job.Cancel();
}

void PortSelection::SelectPort(const std::string& portName) {
  // A connect still under way belongs to the port chosen before: it ends here.
  if (Job.Busy()) {
    Job.Cancel();
    Page.ShowConnecting(false);
  }
  try {
    TMsgSetComPort setPort;
    setPort.Port = portName;
    Bus.Broadcast(setPort);
  } catch (...) {
    ShowFailure(std::current_exception(), portName);
    return;
  }
  const bool recovery = Page.RecoveryTicked();
  Page.ShowConnecting(true);
  Job.Start([this, recovery, portName](const LinkJobContext& context) {
    std::exception_ptr failure;
    try {
      RunExchanges(context, recovery);
    } catch (...) {
      failure = std::current_exception();
    }
    // A cancelled connect says nothing: the user chose another port or closed.
    context.OnMain([&] {
      Page.ShowConnecting(false);
      if (failure) {
        ShowFailure(failure, portName);
      }
    });
  });
}

void PortSelection::ShowFailure(const std::exception_ptr& failure, const std::string& portName) {
  try {
    std::rethrow_exception(failure);
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
  if (Job.Busy()) {
    Job.Cancel();
    Page.ShowConnecting(false);
  }
  Link.Close();
  SelectPort(Page.ChosenPort());
}

void PortSelection::Settle(const LinkJobContext& context) {
  if (Steps.Sleep) {
    Steps.Sleep(SettleTime);
  } else {
    context.Sleep(SettleTime);
  }
}

void PortSelection::RunExchanges(const LinkJobContext& context, bool recovery) {
  if (recovery) {
    // A converter in recovery mode answers no ordinary command: only let the
    // line settle and start clean for the firmware update.
    Settle(context);
    Link.ClearBuffers();
    return;
  }

  if (Steps.ReadFromConverter) {
    Steps.ReadFromConverter(context);
  }
  Settle(context);
  if (context.Stopped()) {
    return;
  }
  Link.ClearBuffers();
  if (Steps.IdentifyFirmware) {
    const std::string firmware = Steps.IdentifyFirmware(context);
    context.OnMain([&] { Page.SetFirmwareLabel("FW_Version:" + firmware); });
  }
  if (Steps.QueryContactlessSensor) {
    context.OnMain([&] { Page.ShowHardwareLabels(false); });
    Steps.QueryContactlessSensor(context);
  }
  context.OnMain([&] {
    Page.EnableConverterActions();
    if (Link.Connected() != 0) {
      Page.EnableReconnect();
      Page.ShowDashboardPage();
    }
  });
}

}  // namespace orvel
