#pragma once

// A log recording live data from a real pseudo-terminal, with the main
// thread's side played by the test: a receiver subscribed first (where the
// window would be) keeps what the bus carried, and PumpUntil drains the
// dispatcher as the main loop would.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/crc8.h"
#include "core/main_thread_dispatcher.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "live/live_frame.h"
#include "live/log.h"
#include "table/table.h"

namespace orvel::test {

using namespace std::chrono_literals;

// Keeps the stop messages and the newest dashboard message.
class BusRecorder final : public TOrvelReceiver {
 public:
  void Dispatch(const TMessage& message) override {
    if (MessageAs<TMsgLogStop>(message) != nullptr) {
      ++Stops;
    } else if (const auto* dash = MessageAs<TMsgDashData>(message)) {
      LastDash.emplace(*dash);
    }
  }
  int Stops = 0;
  std::optional<TMsgDashData> LastDash;
};

// A frame with a correct check byte.
inline LiveFrame MakeFrame(std::uint8_t conv, std::uint8_t slot, std::uint8_t base, std::uint8_t maf,
                           std::uint8_t tps, std::uint16_t period, std::uint8_t o2, std::uint8_t aux) {
  LiveFrame frame{conv,
                  slot,
                  base,
                  maf,
                  tps,
                  static_cast<std::uint8_t>(period >> 8U),
                  static_cast<std::uint8_t>(period & 0xFFU),
                  o2,
                  aux,
                  0};
  frame[9] = FrameCrc8(std::span(frame).first(9));
  return frame;
}

struct LiveRig {
  explicit LiveRig(NumberFormat format = {}, std::chrono::milliseconds timeout = 300ms)
      : Link(Bus, timeout),
        MainTable(Bus, Messages, Modifiers),
        TheLog(Messages, LiveLinks{Link, Bus, MainTable, Dispatcher, format}) {}

  // Runs the main loop's work until `done` holds or `within` has passed.
  template <typename Done>
  bool PumpUntil(Done done, std::chrono::milliseconds within = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
      Dispatcher.RunPending();
      if (done()) {
        return true;
      }
      Dispatcher.WaitForCall(5ms);
    }
    Dispatcher.RunPending();
    return done();
  }
  bool PumpUntilSamples(std::size_t count) {
    return PumpUntil([&] { return TheLog.SampleCount() >= count; });
  }
  bool PumpUntilStopped() {
    return PumpUntil([&] { return !TheLog.IsRunning(); });
  }

  RecordedMessages Messages;
  TOrvelBroadcaster Bus;
  BusRecorder Window;  // subscribed first, as the window is
  bool Subscribed = (Bus.Subscribe(Window), true);
  TRXTX Link;
  LatchedModifiers Modifiers;
  Table MainTable;
  QueuedDispatcher Dispatcher;
  Log TheLog;
};

}  // namespace orvel::test
