#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "link/serial_port.h"

namespace orvel {

namespace {

namespace fs = std::filesystem;

// The kernel creates a serial8250 device for every legacy UART address whether
// or not a chip answers there; only one whose UART type is known is real.
bool IsEmptySerial8250Slot(const fs::path& sysEntry, const fs::path& device) {
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
    if (!IsEmptySerial8250Slot(entry.path(), device)) {
      ports.push_back(device.string());
    }
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

}  // namespace orvel
