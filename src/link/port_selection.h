#pragma once

// The port selection procedure (run when the user picks a port) and the
// reconnect button, as logic. The window takes part through ConnectionPage.
// The port is opened on the main thread; the exchanges that follow (about two
// seconds of reads, waits and time-outs) run as a link job on a worker, and
// the page hears of their results on the main thread.

#include <chrono>
#include <exception>
#include <functional>
#include <string>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/link_job.h"
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
  // From the port's opening until the exchanges have ended: the page says it
  // is connecting.
  virtual void ShowConnecting(bool connecting) = 0;

 protected:
  ConnectionPage() = default;
  ConnectionPage(const ConnectionPage&) = default;
  ConnectionPage& operator=(const ConnectionPage&) = default;
};

// The converter operations the procedure runs once they exist, on the job's
// worker: each reaches models and the page only through the context's
// OnMain. An empty step is skipped. Each may throw; the procedure then shows
// kTryAgain.
struct PortSelectionSteps {
  // Stops live data and reads the table; reports its own errors. Runs right
  // after the port is opened, before the settling wait.
  std::function<void(const LinkJobContext&)> ReadFromConverter;
  // Identifies the converter and returns its firmware text, shown after
  // "FW_Version:" in the firmware label.
  std::function<std::string(const LinkJobContext&)> IdentifyFirmware;
  // Asks a converter of the contactless kind for its sensor; it shows the
  // hardware labels again (they are hidden just before) when it finds one.
  std::function<void(const LinkJobContext&)> QueryContactlessSensor;
  // The settling wait after opening; tests replace it. Without it the job
  // sleeps (a cancel ends the sleep).
  std::function<void(std::chrono::milliseconds)> Sleep;
};

class PortSelection {
 public:
  static constexpr std::chrono::milliseconds SettleTime{300};

  PortSelection(TOrvelBroadcaster& bus, TRXTX& link, ConnectionPage& page, UserMessages& messages,
                LinkJob& job, PortSelectionSteps steps = {});
  // Cancels a connect under way: its calls reach this object and the page.
  ~PortSelection();
  PortSelection(const PortSelection&) = delete;
  PortSelection& operator=(const PortSelection&) = delete;

  // The port list's change handler: cancels a connect under way, opens
  // `portName` over the bus and, unless the recovery box is ticked, starts
  // the job that reads and identifies the converter and shows the dashboard.
  // Any failure shows kTryAgain. Returns once the port is open; the job's
  // Finished tells when the exchanges are over.
  void SelectPort(const std::string& portName);
  // The reconnect button: closes the port (ignoring errors) and runs the
  // procedure again for the port chosen in the list.
  void Reconnect();

 private:
  // The exchanges after the opening, on the job's worker.
  void RunExchanges(const LinkJobContext& context, bool recovery);
  void Settle(const LinkJobContext& context);
  void ShowFailure(const std::exception_ptr& failure, const std::string& portName);

  TOrvelBroadcaster& Bus;
  TRXTX& Link;
  ConnectionPage& Page;
  UserMessages& Messages;
  LinkJob& Job;
  PortSelectionSteps Steps;
};

}  // namespace orvel
