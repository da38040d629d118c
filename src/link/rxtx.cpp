#include "link/rxtx.h"

namespace orvel {

TRXTX::TRXTX(TOrvelBroadcaster& bus, std::chrono::milliseconds timeout) : Port(timeout) {
  bus.Subscribe(*this);
}

TRXTX::~TRXTX() {
  Port.Close();
}

void TRXTX::Dispatch(const TMessage& message) {
  if (const auto* setPort = MessageAs<TMsgSetComPort>(message)) {
    Open(setPort->Port);
  }
  // TMsgLogStop is consumed without any action; every other identifier has
  // no effect on the link.
}

void TRXTX::Open(const std::string& portName) {
  Port.Close();
  ConnectedFlag.store(0);
  Name = portName;
  Port.Open(Name);
  ConnectedFlag.store(1);
}

void TRXTX::Close() noexcept {
  Port.Close();
}

}  // namespace orvel
