#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <system_error>

#include "link/serial_port.h"

namespace orvel {

namespace {

namespace fs = std::filesystem;

// The kernel creates a serial8250 port for every legacy UART address whether
// or not a chip answers there; a slot without a chip has the UART type
// PORT_UNKNOWN. The serial core shows the type in sysfs; where it does not, the
// device itself is asked (a slot that cannot be opened is empty too).
bool IsEmptyUartSlot(const fs::path& sysEntry, const fs::path& device) {
  std::ifstream typeFile(sysEntry / "type");
  int type = 0;
  if (typeFile >> type) {
    return type == PORT_UNKNOWN;
  }
  std::error_code error;
  const fs::path driver = fs::read_symlink(sysEntry / "device" / "driver", error);
  if (error || driver.filename() != "serial8250") {
    return false;
  }
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return true;
  }
  serial_struct info{};
  const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return !known;
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::filesystem::path& sysClassTty,
                                         const std::filesystem::path& devDir) {
  std::vector<std::string> ports;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(sysClassTty, error)) {
    // Virtual terminals and pseudo-terminals have no `device` entry.
    if (!fs::exists(entry.path() / "device", error)) {
      continue;
    }
    const fs::path device = devDir / entry.path().filename();
    if (!IsEmptyUartSlot(entry.path(), device)) {
      ports.push_back(device.string());
    }
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

}  // namespace orvel
