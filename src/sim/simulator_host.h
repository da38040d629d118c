#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "sim/pseudo_terminal.h"
#include "sim/simulated_converter.h"
#include "sim/simulator_options.h"

namespace orvel::sim {

// Runs a simulated converter behind a pseudo-terminal: a client opens
// PortPath() like a serial port and talks to it. One background thread waits
// with poll() on the pty master (and a wake-up descriptor), feeds received
// bytes to the protocol engine and writes its replies out, one byte every
// ~1.04 ms with real pacing. The thread sleeps until a byte arrives, output
// can be written or the engine's next timed event is due, so an idle
// simulator uses no CPU.
//
// Construction opens the pty and starts the thread (throws std::system_error
// when no pty is available); destruction stops the thread and closes
// everything.
class SimulatorHost {
 public:
  explicit SimulatorHost(const SimulatorOptions& options = {});
  ~SimulatorHost();
  SimulatorHost(const SimulatorHost&) = delete;
  SimulatorHost& operator=(const SimulatorHost&) = delete;

  // The slave side, e.g. "/dev/pts/5".
  const std::string& PortPath() const { return Path; }

  // Closes the pty: the client sees a vanished device. Also happens by
  // itself in the hang-up fault mode. Cannot be undone.
  void HangUp();
  bool HungUp() const { return IsHungUp.load(); }

  void SetFaults(const FaultSettings& faults);

  // Snapshots of the converter's state, taken under the engine's lock.
  ConverterTable WorkingTable() const;
  ConverterTable PermanentTable() const;
  LiveCorrection Correction() const;
  std::vector<std::uint8_t> ReceivedBytes() const;
  // Anything else: `function` gets the converter under the engine's lock.
  template <typename Function>
  auto Inspect(Function function) const {
    const std::scoped_lock lock(EngineLock);
    return function(static_cast<const SimulatedConverter&>(Converter));
  }

 private:
  void Run(const std::stop_token& stop);
  void Wake() const;
  void StopThread();
  SimTime Now() const;
  // One pass of the loop; false when the pty is gone.
  bool Step(bool readable, bool writable, SimTime& nextPacedByte);

  const std::chrono::steady_clock::time_point Origin = std::chrono::steady_clock::now();
  const bool RealPacing;
  PseudoTerminal Pty;  // the thread owns it while it runs; HangUp and the destructor after the join
  const std::string Path;
  int WakeFd = -1;  // eventfd; written from any thread, read by the host thread
  mutable std::mutex EngineLock;
  SimulatedConverter Converter;  // guarded by EngineLock
  std::atomic<bool> IsHungUp{false};
  std::jthread Thread;  // last: started after everything it uses exists
};

}  // namespace orvel::sim
