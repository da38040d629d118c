#pragma once

// The converter reset (key R): stop live data, wait until the live-data
// reader has let go of the port, send the reset byte "k" between two 200 ms
// pauses, then read the table back and forget every learned point.
//
// The wait for the reader is bounded: a reader that never lets go of the port
// (a converter that went silent in the middle of a frame, a thread that hangs)
// must not freeze the window, so after kPortFreeLimit the reset gives up with
// a message and sends nothing.
//
// Threads: main thread; PortFree is the link's, guarded by its lock.

#include <chrono>
#include <functional>
#include <string_view>

#include "core/user_messages.h"
#include "link/link_timing.h"

namespace orvel {

class Table;
class TableTransfer;
class TRXTX;

inline constexpr std::string_view kResetPortBusyText =
    "The data logger still holds the COM port; the converter was not reset.\nPlease try again.\n\n"
    "Даталогер еще занимает COM порт, конвертер не сброшен.\nПожалуйста попробуйте еще раз";

inline constexpr std::chrono::milliseconds kResetPause{200};
inline constexpr std::chrono::milliseconds kPortFreeLimit{2000};

class ConverterReset {
 public:
  // `sleep` makes the two pauses; the wait for PortFree runs on the clock.
  ConverterReset(TRXTX& link, TableTransfer& transfer, Table& mainTable, UserMessages& messages,
                 SleepFunction sleep = RealSleep, std::chrono::milliseconds portFreeLimit = kPortFreeLimit);

  // Runs the reset. `stopLiveData` is called first when `liveDataRunning`.
  // True when the reset byte went out; false when the port stayed busy or
  // the write failed (both reported; the table is then not read).
  bool Run(bool liveDataRunning, const std::function<void()>& stopLiveData);

 private:
  [[nodiscard]] bool WaitForPortFree() const;

  TRXTX& Link;
  TableTransfer& Transfer;
  Table& MainTable;
  UserMessages& Messages;
  SleepFunction Sleep;
  std::chrono::milliseconds PortFreeLimit;
};

}  // namespace orvel
