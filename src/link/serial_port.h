#pragma once

// A thin layer over a POSIX serial device (termios): raw 9600 8N1 without flow
// control, blocking reads and writes with a total time-out, buffer clearing.
// Works on real adapters and on pseudo-terminals alike.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

namespace orvel {

// Every failure of the serial port: it could not be opened, it is not open, or
// the device went away. what() says which operation failed and why.
class EComPort : public std::runtime_error {
 public:
  // `systemError` is the errno of the failed call, 0 when there was none.
  explicit EComPort(const std::string& what, int systemError = 0, bool deviceGone = false)
      : std::runtime_error(what), SystemErrorNumber(systemError), Gone(deviceGone) {}
  // The class name the port error report looks for.
  static constexpr const char* ClassName() { return "EComPort"; }
  [[nodiscard]] int SystemError() const { return SystemErrorNumber; }
  // The device went away while it was open (unplugged, hung up).
  [[nodiscard]] bool DeviceGone() const { return Gone; }

 private:
  int SystemErrorNumber;
  bool Gone;
};

// Threads: one thread may read while another writes (the live-data reader and
// the main thread's correction commands). Concurrent reads are serialised, and
// so are concurrent writes, so bytes of two calls never interleave. Open and
// Close wait for a read or write in progress; the callers still never close a
// port while another thread is blocked on it (the live-data thread is stopped
// and joined first), because that would cost the full time-out.
class SerialPort {
 public:
  static constexpr std::chrono::milliseconds DefaultTimeout{1000};

  explicit SerialPort(std::chrono::milliseconds timeout = DefaultTimeout);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the device at `path` (closing any port open before) and applies the
  // settings; a port that another program holds through this layer counts as busy.
  void Open(const std::string& path);
  // Harmless when the port is closed.
  void Close() noexcept;
  [[nodiscard]] bool IsOpen() const { return Fd.load() >= 0; }
  [[nodiscard]] const std::string& Path() const { return DevicePath; }

  // Blocks until buffer.size() bytes have arrived or the time-out has passed
  // since the call; returns the count read. A short count is not an error.
  // A stop requested on `stop` ends the wait at once with the bytes read so
  // far, so a thread that is told to end never sits out the time-out.
  std::size_t Read(std::span<std::uint8_t> buffer, const std::stop_token& stop = {});
  // Blocks until every byte has been handed to the device and sent (as far as
  // the device can tell) or the time-out has passed; returns the count handed over.
  std::size_t Write(std::span<const std::uint8_t> bytes);
  // Discards pending input; output already written is let go first, never
  // discarded (see the definition).
  void ClearBuffers();
  // Waits (within the time-out) until output already written has left.
  void ClearOutput();

  // The total time-out of each Read and Write.
  void SetTimeout(std::chrono::milliseconds timeout) { Timeout.store(timeout); }
  [[nodiscard]] std::chrono::milliseconds GetTimeout() const { return Timeout.load(); }

 private:
  enum class WaitResult { Ready, TimedOut, HungUp, Stopped };

  int OpenFd(const char* operation) const;  // throws when the port is closed
  // poll() for `events` until the deadline, or until a stop is requested on
  // `stop` (the stop's callback wakes the poll through WakeFd).
  [[nodiscard]] WaitResult WaitUntil(int fd, short events, std::chrono::steady_clock::time_point deadline,
                                     const std::stop_token& stop = {}) const;
  void Wake() const noexcept;
  void DrainWake() const noexcept;
  static void WaitForOutputSent(int fd, std::chrono::steady_clock::time_point deadline);
  [[noreturn]] void ThrowOsError(const char* operation, int error) const;
  [[noreturn]] void ThrowDeviceGone(const char* reason) const;

  std::atomic<int> Fd{-1};  // atomic: read by both threads, written by Open/Close
  int WakeFd = -1;          // an eventfd, fixed for the object's life; the kernel orders its reads and writes
  std::atomic<std::chrono::milliseconds> Timeout;  // atomic: may be changed while the other thread reads
  // Changed only with ReadLock and WriteLock both held; Path() reads it on the
  // thread that opens and closes the port.
  std::string DevicePath;
  std::mutex ReadLock;   // held for a whole Read, and by Open/Close
  std::mutex WriteLock;  // held for a whole Write, and by Open/Close
};

// The serial devices present: every /sys/class/tty/<name> that has a `device`
// entry, as devDir/<name>, sorted by name. Empty UART slots (a legacy serial8250
// address without a chip behind it) are left out.
std::vector<std::string> ListSerialPorts(const std::filesystem::path& sysClassTty = "/sys/class/tty",
                                         const std::filesystem::path& devDir = "/dev");

}  // namespace orvel
