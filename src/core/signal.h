#pragma once

// A change announcement with any number of listeners, for the main thread's
// models: a model owns a `Signal<...>` and emits it after its state changed;
// whoever shows or follows that state subscribes and keeps the returned
// `Subscription`, which unsubscribes when it is destroyed. So a page that
// goes away before its model can never be called again, and a model that goes
// first leaves its listeners' handles harmless.
//
// Usable in Qt translation units: no name here collides with Qt's keyword
// macros (slots, signals, emit).
//
// Listeners run in subscription order. A listener may subscribe or
// unsubscribe others (or itself) while the signal is being emitted: one
// added during an emission is first called by the next one, one removed is
// not called again. Not thread-safe: main thread only (the message bus is
// for what crosses threads). Included next to Qt headers, so no name here is
// one of Qt's keyword macros (slots, signals, emit).

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace orvel {

class Subscription;

namespace detail {

// What a signal and its subscriptions share: the listeners, kept alive by
// the signal and looked at (weakly) by each subscription.
class SlotsBase {
 public:
  virtual ~SlotsBase() = default;
  virtual void Remove(std::size_t id) = 0;
};

template <typename Call>
struct SignalSlots final : SlotsBase {
  struct Slot {
    std::size_t Id = 0;
    Call Listener;  // empty once unsubscribed
  };
  std::vector<Slot> Slots;
  std::size_t NextId = 1;
  int Emitting = 0;  // emissions in progress; removals wait until none runs

  void Remove(std::size_t id) override {
    for (auto& slot : Slots) {
      if (slot.Id == id) {
        slot.Listener = nullptr;
      }
    }
    if (Emitting == 0) {
      Compact();
    }
  }
  void Compact() {
    std::erase_if(Slots, [](const Slot& slot) { return !slot.Listener; });
  }
};

}  // namespace detail

// Ends one listener's subscription when destroyed (or on Reset). Movable,
// not copyable; a default-constructed one holds nothing.
class Subscription {
 public:
  Subscription() = default;
  Subscription(std::weak_ptr<detail::SlotsBase> shared, std::size_t id) : Slots(std::move(shared)), Id(id) {}
  Subscription(Subscription&& other) noexcept
      : Slots(std::move(other.Slots)), Id(std::exchange(other.Id, 0)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      Reset();
      Slots = std::move(other.Slots);
      Id = std::exchange(other.Id, 0);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Reset(); }

  void Reset() {
    if (auto shared = Slots.lock()) {
      shared->Remove(Id);
    }
    Slots.reset();
    Id = 0;
  }
  [[nodiscard]] bool Active() const { return Id != 0 && !Slots.expired(); }

 private:
  std::weak_ptr<detail::SlotsBase> Slots;
  std::size_t Id = 0;
};

// A list of subscriptions that end together: what a page keeps for the
// models it shows.
class Subscriptions {
 public:
  void Add(Subscription subscription) { Held.push_back(std::move(subscription)); }
  Subscriptions& operator+=(Subscription subscription) {
    Add(std::move(subscription));
    return *this;
  }
  void Clear() { Held.clear(); }

 private:
  std::vector<Subscription> Held;
};

template <typename... Args>
class Signal {
  using Call = std::function<void(Args...)>;

 public:
  Signal() = default;
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  // `listener` is called on every later Emit until the returned handle is
  // destroyed or reset. Listening changes nothing of the model that owns the
  // signal, so a const model may be listened to.
  [[nodiscard]] Subscription Subscribe(Call listener) const {
    const std::size_t id = Slots->NextId++;
    Slots->Slots.push_back({id, std::move(listener)});
    return Subscription(Slots, id);
  }

  // Calls the listeners with `args` (passed to each as lvalues).
  void Emit(Args... args) {
    // Held for the emission: a listener may destroy the signal's owner.
    const auto shared = Slots;
    ++shared->Emitting;
    // By index over the listeners present at the start: one added now is
    // pushed behind them; one removed is emptied and skipped.
    const std::size_t count = shared->Slots.size();
    for (std::size_t i = 0; i < count; ++i) {
      if (shared->Slots[i].Listener) {
        Call listener = shared->Slots[i].Listener;  // a copy: it may unsubscribe itself
        listener(args...);
      }
    }
    if (--shared->Emitting == 0) {
      shared->Compact();
    }
  }

  [[nodiscard]] std::size_t ListenerCount() const {
    std::size_t count = 0;
    for (const auto& slot : Slots->Slots) {
      count += slot.Listener ? 1 : 0;
    }
    return count;
  }

 private:
  std::shared_ptr<detail::SignalSlots<Call>> Slots = std::make_shared<detail::SignalSlots<Call>>();
};

}  // namespace orvel
