#pragma once

// The firmware update: a checked firmware file's blocks go to the converter's
// loader one by one, each acknowledged with 0x11 or rejected and sent again.

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/user_messages.h"
#include "link/link_timing.h"

namespace orvel {

struct FirmwareFile;
class Table;
class TableTransfer;
class TRXTX;

inline constexpr std::string_view kNoPortText = "COM port!!!";
inline constexpr std::string_view kLoaderSilentText =
    "\nFailed: Converter doesn't respond.\nPlease check the supply voltage, COM port and firmware update "
    "jumper\n\nОшибка обновления. Конвертер не отвечает.\nПожалуйста проверьте питающее напряжение, COM "
    "порт, и перемычку обновления прошивки";
inline constexpr std::string_view kLoaderRejectedText =
    "CRC error.  Converter doesn't respond.\nPlease check the supply voltage, COM port and firmware update "
    "jumper\n\nОшибка обновления. Конвертер не отвечает.\nПожалуйста проверьте питающее напряжение, COM "
    "порт, и перемычку обновления прошивки";
inline constexpr std::string_view kFirmwareUpdatedText =
    "Firmware updated successfully.\n\nПрошивка успешно обновлена";
inline constexpr std::string_view kStopLiveDataText =
    "Stop the live data before updating the firmware.\n\nОстановите поток данных перед обновлением прошивки.";

// What the update needs of the window's firmware page.
// How long a converter needs after its last loader block to run the new firmware.
inline constexpr std::chrono::milliseconds kFirmwareStartPause{1000};

class FirmwarePage {
 public:
  virtual ~FirmwarePage() = default;
  // The "Firmware Recovery" box: the converter already waits in its loader.
  [[nodiscard]] virtual bool RecoveryTicked() const = 0;
  virtual void UntickRecovery() = 0;
  // The page's progress bar, 0 to 100.
  virtual void SetProgress(int percent) = 0;
  [[nodiscard]] virtual bool LiveDataRunning() const = 0;

 protected:
  FirmwarePage() = default;
  FirmwarePage(const FirmwarePage&) = default;
  FirmwarePage& operator=(const FirmwarePage&) = default;
};

enum class FirmwareOutcome {
  NotChosen,  // the file dialog was cancelled: nothing happens
  Refused,    // a check failed before anything was sent
  Failed,     // the loader stopped answering or rejected a block four times
  Updated,
};

class FirmwareUpdate {
 public:
  static constexpr std::uint8_t Accepted = 0x11;
  static constexpr int RejectionLimit = 4;

  FirmwareUpdate(TRXTX& link, UserMessages& messages, FirmwarePage& page, SleepFunction sleep = RealSleep);

  // Runs the update from the file the user chose; nullopt (a cancelled
  // dialog) starts nothing. Refused with a message: the link is not
  // connected, live data runs, the file cannot be opened, holds no firmware
  // data, is too long or is damaged. Unless the recovery box is ticked,
  // "fiud" switches the converter into its loader first. A success sets the
  // bar to 100 and unticks the recovery box.
  FirmwareOutcome Update(const std::optional<std::filesystem::path>& chosen);

 private:
  FirmwareOutcome SendBlocks(const FirmwareFile& file);

  TRXTX& Link;
  UserMessages& Messages;
  FirmwarePage& Page;
  SleepFunction Sleep;
};

// The update-with-1:1 action: the update, then on success the 1:1 table is
// written to the converter once it has had kFirmwareStartPause to start its
// new firmware (it answers no command while its loader still waits for
// blocks). Returns true when both succeeded; the window then selects the
// "0-5V Signal" sensor model and starts live data.
bool UpdateWithOneToOne(FirmwareUpdate& update, const std::optional<std::filesystem::path>& chosen,
                        Table& mainTable, TableTransfer& transfer, const SleepFunction& sleep = RealSleep);

}  // namespace orvel
