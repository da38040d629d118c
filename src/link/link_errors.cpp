#include "link/link_errors.h"

#include <grp.h>
#include <sys/stat.h>

#include <array>

#include "link/rxtx.h"
#include "link/serial_port.h"

namespace orvel {

void ReportPortError(const std::exception& error, UserMessages& messages) {
  if (const auto* port = dynamic_cast<const EComPort*>(&error)) {
    messages.ShowMessage(std::string(port->DeviceGone() ? kDeviceGoneText : kPortErrorText) + "\n\n" +
                         port->what());
  } else {
    messages.ShowMessage(error.what());
  }
}

void ReportLinkError(const LinkError& error, UserMessages& messages, TRXTX& link) {
  const char first = error.Word.empty() ? '\0' : error.Word.front();
  if (first == 'E') {
    messages.ShowMessage(std::string(kNoResponseText) + std::to_string(error.Received) + " of/из " +
                         std::to_string(error.Expected) + " Recieved/Получено");
    link.Close();
  } else if (first == 'V') {
    messages.ShowMessage(kVerificationText);
  }
}

std::string PortPermissionText(std::string_view portPath, std::string_view group) {
  const std::string port(portPath);
  const std::string name(group);
  return "\n\nPermission denied: this user may not open " + port + ". Add the user to the group \"" + name +
         "\" (sudo usermod -aG " + name + " $USER), then log out and log in again.\n\nНет доступа к " + port +
         ": пользователь не входит в группу \"" + name + "\". Добавьте его в группу (sudo usermod -aG " +
         name + " $USER), затем выйдите из системы и войдите снова.";
}

std::string PortGroup(const std::string& portPath) {
  struct stat info {};
  if (::stat(portPath.c_str(), &info) == 0) {
    std::array<char, 4096> buffer{};
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->gr_gid != 0) {
      return found->gr_name;
    }
  }
  return "dialout";
}

}  // namespace orvel
