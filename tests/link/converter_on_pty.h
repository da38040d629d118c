#pragma once

// A simulated converter on a pseudo-terminal with the link already open on
// it: the common ground of the protocol tests.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "link/rxtx.h"
#include "sim/simulator_host.h"

namespace orvel::test {

// Simulator options with one fault mode set.
inline sim::SimulatorOptions WithFault(sim::FaultMode mode) {
  sim::SimulatorOptions options;
  options.Faults.Mode = mode;
  return options;
}

struct ConverterOnPty {
  explicit ConverterOnPty(const sim::SimulatorOptions& options = {},
                          std::chrono::milliseconds timeout = std::chrono::milliseconds{300})
      : Simulator(options), Link(Bus, timeout) {
    Link.Open(Simulator.PortPath());
  }

  // How often `command` occurs in what the converter received.
  [[nodiscard]] std::size_t Received(std::string_view command) const {
    const std::vector<std::uint8_t> bytes = Simulator.ReceivedBytes();
    std::size_t count = 0;
    for (auto at = bytes.begin();; ++at) {
      at = std::search(at, bytes.end(), command.begin(), command.end());
      if (at == bytes.end()) {
        return count;
      }
      ++count;
    }
  }

  sim::SimulatorHost Simulator;
  TOrvelBroadcaster Bus;
  TRXTX Link;
  RecordedMessages Messages;
};

}  // namespace orvel::test
