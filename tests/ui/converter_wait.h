#pragma once

// A port choice returns once the port is open; the converter's exchanges then
// run on a worker. Tests that go on with a connected converter wait here.

#include <chrono>

#include "event_wait.h"
#include "ui/main_window.h"

namespace orvel::ui::test {

// Lets the event loop run until the converter job under way (a connect, a
// read), if any, has ended.
inline bool WaitForConverter(TForm1& window) {
  return ProcessEventsUntil([&window] { return !window.Core().ConverterJob.Busy(); },
                            std::chrono::seconds{20});
}

}  // namespace orvel::ui::test
