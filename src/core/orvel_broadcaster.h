#pragma once

#include <vector>

#include "core/messages.h"

namespace orvel {

// Something that receives every message of the bus. A receiver picks out the
// identifiers it handles and ignores the rest.
class TOrvelReceiver {
 public:
  virtual ~TOrvelReceiver() = default;
  virtual void Dispatch(const TMessage& message) = 0;

 protected:
  TOrvelReceiver() = default;
  TOrvelReceiver(const TOrvelReceiver&) = default;
  TOrvelReceiver& operator=(const TOrvelReceiver&) = default;
};

// The message bus: synchronous delivery to every subscriber in subscription
// order, on the caller's thread (always the main thread). Not re-entrant: no
// handler may broadcast while a delivery is under way.
class TOrvelBroadcaster {
 public:
  TOrvelBroadcaster() = default;
  TOrvelBroadcaster(const TOrvelBroadcaster&) = delete;
  TOrvelBroadcaster& operator=(const TOrvelBroadcaster&) = delete;

  // Appends the receiver; no duplicate check and no removal.
  void Subscribe(TOrvelReceiver& receiver);
  void Broadcast(const TMessage& message);

  // The record being delivered; nullptr outside a delivery.
  [[nodiscard]] const TMessage* CurrentMessage() const { return Delivering; }
  [[nodiscard]] std::size_t SubscriberCount() const { return Subscribers.size(); }

 private:
  std::vector<TOrvelReceiver*> Subscribers;
  const TMessage* Delivering = nullptr;
};

}  // namespace orvel
