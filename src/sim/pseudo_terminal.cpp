#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace orvel::sim {

namespace {

[[noreturn]] void ThrowSystemError(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd, const char* what) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) {
    ThrowSystemError(what);
  }
  cfmakeraw(&settings);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  if (tcsetattr(fd, TCSANOW, &settings) != 0) {
    ThrowSystemError(what);
  }
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (Master < 0) {
    ThrowSystemError("posix_openpt");
  }
  try {
    if (grantpt(Master) != 0 || unlockpt(Master) != 0) {
      ThrowSystemError("grantpt/unlockpt");
    }
    std::array<char, 128> name{};
    if (ptsname_r(Master, name.data(), name.size()) != 0) {
      ThrowSystemError("ptsname_r");
    }
    Path = name.data();
    HeldSlave = open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (HeldSlave < 0) {
      ThrowSystemError("open pty slave");
    }
    MakeRaw(HeldSlave, "raw mode on pty slave");
    MakeRaw(Master, "raw mode on pty master");
  } catch (...) {
    Close();
    throw;
  }
}

PseudoTerminal::~PseudoTerminal() {
  Close();
}

void PseudoTerminal::Close() {
  if (Master >= 0) {
    close(Master);
    Master = -1;
  }
  if (HeldSlave >= 0) {
    close(HeldSlave);
    HeldSlave = -1;
  }
}

}  // namespace orvel::sim
