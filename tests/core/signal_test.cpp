#include "core/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace orvel {
namespace {

TEST(SignalTest, ListenersRunInOrderUntilTheirHandleGoes) {
  Signal<int> changed;
  std::vector<int> calls;
  Subscription first = changed.Subscribe([&](int v) { calls.push_back(v); });
  std::optional<Subscription> second = changed.Subscribe([&](int v) { calls.push_back(v * 10); });
  changed.Emit(1);
  second.reset();
  changed.Emit(2);
  EXPECT_EQ(calls, (std::vector<int>{1, 10, 2}));
  EXPECT_EQ(changed.ListenerCount(), 1U);
  first.Reset();
  EXPECT_FALSE(first.Active());
  changed.Emit(3);
  EXPECT_EQ(calls.size(), 3U);
}

TEST(SignalTest, ListenersMayUnsubscribeAndSubscribeDuringAnEmission) {
  Signal<> changed;
  std::vector<int> calls;
  Subscription self;
  Subscription other = changed.Subscribe([&] { calls.push_back(0); });
  Subscription added;
  self = changed.Subscribe([&] {
    calls.push_back(1);
    self.Reset();   // itself
    other.Reset();  // one already called
    added = changed.Subscribe([&] { calls.push_back(2); });
  });
  Subscription later = changed.Subscribe([&] { calls.push_back(3); });
  changed.Emit();
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 3})) << "one added during the emission waits for the next";
  calls.clear();
  changed.Emit();
  EXPECT_EQ(calls, (std::vector<int>{3, 2}));
}

TEST(SignalTest, AHandleOutlivingItsSignalIsHarmless) {
  auto changed = std::make_unique<Signal<>>();
  Subscription handle = changed->Subscribe([] {});
  EXPECT_TRUE(handle.Active());
  changed.reset();
  EXPECT_FALSE(handle.Active());
  handle.Reset();  // nothing to unsubscribe from
}

TEST(SignalTest, ASubscriptionListEndsAllTogether) {
  Signal<> changed;
  int calls = 0;
  {
    Subscriptions held;
    held += changed.Subscribe([&] { ++calls; });
    held += changed.Subscribe([&] { ++calls; });
    changed.Emit();
  }
  changed.Emit();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(changed.ListenerCount(), 0U);
}

}  // namespace
}  // namespace orvel
