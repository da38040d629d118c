#pragma once

// TRXTX: the program's only path to the converter. It owns the serial port,
// opens the port the user chooses (on the bus message TMsgSetComPort) and
// offers blocking reads and writes with a total time-out.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>

#include "core/orvel_broadcaster.h"
#include "link/serial_port.h"

namespace orvel {

class TRXTX final : public TOrvelReceiver {
 public:
  // Subscribes itself to `bus`. The port is named "COM1" and not opened. The
  // bus must outlive the link or receive no broadcast after its destruction.
  explicit TRXTX(TOrvelBroadcaster& bus, std::chrono::milliseconds timeout = SerialPort::DefaultTimeout);
  ~TRXTX() override;
  TRXTX(const TRXTX&) = delete;
  TRXTX& operator=(const TRXTX&) = delete;

  // TMsgSetComPort opens the named port (an EComPort error reaches the
  // broadcaster's caller); TMsgLogStop is consumed; the rest has no effect.
  void Dispatch(const TMessage& message) override;

  // Closes the current port, then opens `portName`; Connected is 0 during the
  // attempt and 1 after success. Throws EComPort when the port cannot be opened.
  void Open(const std::string& portName);
  // Closes the port; Connected keeps its value, so later operations fail with
  // EComPort until a port is opened again.
  void Close() noexcept;

  // Blocking transfers with the total time-out; a short count is not an error.
  // They, and the buffer operations, throw EComPort when the port is not open.
  // A stop requested on `stop` ends a read at once (see SerialPort::Read).
  std::size_t Read(std::span<std::uint8_t> buffer, const std::stop_token& stop = {}) {
    return Port.Read(buffer, stop);
  }
  std::size_t Write(std::span<const std::uint8_t> bytes) { return Port.Write(bytes); }
  void ClearBuffers() { Port.ClearBuffers(); }
  // The total time-out of the transfers that begin from now on.
  void SetTimeout(std::chrono::milliseconds timeout) { Port.SetTimeout(timeout); }
  void ClearOutput() { Port.ClearOutput(); }

  [[nodiscard]] std::uint32_t Connected() const { return ConnectedFlag.load(); }
  // True while the live-data thread is not reading a frame; the main thread
  // starts no reply-reading exchange while it is false.
  [[nodiscard]] bool PortFree() const;
  void SetPortFree(bool free);
  // Sleeps until the port is free: false when `stop` was requested first.
  bool WaitPortFree(const std::stop_token& stop);
  // Sleeps until the port is free: false when `limit` passed first.
  bool WaitPortFreeFor(std::chrono::milliseconds limit);
  [[nodiscard]] const std::string& PortName() const { return Name; }
  [[nodiscard]] bool IsOpen() const { return Port.IsOpen(); }

 private:
  SerialPort Port;  // safe for one reader and one writer thread
  mutable std::mutex PortFreeLock;
  std::condition_variable_any PortFreed;  // notified under PortFreeLock when PortFreeFlag turns true
  bool PortFreeFlag = true;               // guarded by PortFreeLock: the live-data thread and the main thread
  std::atomic<std::uint32_t> ConnectedFlag{0};  // atomic: read from either thread
  std::string Name{"COM1"};                     // main thread only
};

}  // namespace orvel
