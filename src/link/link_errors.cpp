#include "link/link_errors.h"

#include "link/rxtx.h"
#include "link/serial_port.h"

namespace orvel {

void ReportPortError(const std::exception& error, UserMessages& messages) {
  if (dynamic_cast<const EComPort*>(&error) != nullptr) {
    messages.ShowMessage(kPortErrorText);
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

}  // namespace orvel
