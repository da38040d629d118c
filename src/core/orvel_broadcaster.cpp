#include "core/orvel_broadcaster.h"

namespace orvel {

void TOrvelBroadcaster::Subscribe(TOrvelReceiver& receiver) {
  Subscribers.push_back(&receiver);
}

void TOrvelBroadcaster::Broadcast(const TMessage& message) {
  Delivering = &message;
  // The count is read anew before each step: a subscriber added during the
  // delivery receives the message too (a range loop would be invalidated).
  // NOLINTNEXTLINE(modernize-loop-convert)
  for (std::size_t i = 0; i < Subscribers.size(); ++i) {
    Subscribers[i]->Dispatch(*Delivering);
  }
  // The record belongs to the sender and dies with its call; keep no pointer.
  Delivering = nullptr;
}

}  // namespace orvel
