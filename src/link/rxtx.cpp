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

bool TRXTX::PortFree() const {
  const std::scoped_lock lock(PortFreeLock);
  return PortFreeFlag;
}

void TRXTX::SetPortFree(bool free) {
  {
    const std::scoped_lock lock(PortFreeLock);
    PortFreeFlag = free;
  }
  if (free) {
    PortFreed.notify_all();
  }
}

bool TRXTX::WaitPortFree(const std::stop_token& stop) {
  std::unique_lock lock(PortFreeLock);
  return PortFreed.wait(lock, stop, [this] { return PortFreeFlag; });
}

bool TRXTX::WaitPortFreeFor(std::chrono::milliseconds limit) {
  std::unique_lock lock(PortFreeLock);
  return PortFreed.wait_for(lock, limit, [this] { return PortFreeFlag; });
}

}  // namespace orvel
