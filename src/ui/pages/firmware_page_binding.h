#pragma once

#include <functional>

#include "link/firmware_update.h"

namespace orvel::ui {

class FirmwarePage;
class ConnectionPageWidget;

// Lets the firmware update read the recovery box of the connection page and
// move the firmware page's progress bar.
class FirmwarePageBinding final : public orvel::FirmwarePage {
 public:
  FirmwarePageBinding(ui::FirmwarePage& page, ConnectionPageWidget& connection,
                      std::function<bool()> liveDataRunning);

  [[nodiscard]] bool RecoveryTicked() const override;
  void UntickRecovery() override;
  void SetProgress(int percent) override;
  [[nodiscard]] bool LiveDataRunning() const override { return Running(); }

 private:
  ui::FirmwarePage& Page;
  ConnectionPageWidget& Connection;
  std::function<bool()> Running;
};

}  // namespace orvel::ui
