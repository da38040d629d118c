#pragma once

#include <functional>

#include "link/firmware_update.h"

class QCheckBox;

namespace orvel::ui {

class FirmwarePage;

// Lets the firmware update read the recovery box of the connection page and
// move the firmware page's progress bar.
class FirmwarePageBinding final : public orvel::FirmwarePage {
 public:
  FirmwarePageBinding(ui::FirmwarePage& page, QCheckBox& recovery, std::function<bool()> liveDataRunning);

  [[nodiscard]] bool RecoveryTicked() const override;
  void UntickRecovery() override;
  void SetProgress(int percent) override;
  [[nodiscard]] bool LiveDataRunning() const override { return Running(); }

 private:
  ui::FirmwarePage& Page;
  QCheckBox& Recovery;
  std::function<bool()> Running;
};

}  // namespace orvel::ui
