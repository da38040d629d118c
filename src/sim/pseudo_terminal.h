#pragma once

#include <string>

namespace orvel::sim {

// A pseudo-terminal whose slave side looks like a serial device. The master
// side is non-blocking and raw. The slave side is put into raw mode at once
// (a fresh slave echoes what it receives until then) and one slave descriptor
// stays open here, so the pty neither hangs up nor forgets its settings
// between one client's close and the next client's open.
// Throws std::system_error when the system has no pseudo-terminal to give.
class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The slave device path, e.g. "/dev/pts/5".
  [[nodiscard]] const std::string& SlavePath() const { return Path; }
  // -1 once closed.
  [[nodiscard]] int MasterFd() const { return Master; }
  [[nodiscard]] bool IsOpen() const { return Master >= 0; }
  // Closes both sides: a client sees the device vanish (reads end with EIO).
  void Close();

 private:
  int Master = -1;
  int HeldSlave = -1;
  std::string Path;
};

}  // namespace orvel::sim
