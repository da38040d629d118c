#include "core/operation_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace orvel {
namespace {

TEST(OperationGuardTest, ACloseAskedForDuringNestedOperationsRunsOnceWhenTheLastEnds) {
  OperationGuard guard;
  std::vector<int> closes;
  EXPECT_FALSE(guard.DeferWhileBusy([&] { closes.push_back(0); })) << "idle: the caller closes now";
  {
    const OperationGuard::Scope update = guard.Hold();
    {
      // The table write of the update-with-1:1 action inside its update.
      const OperationGuard::Scope write = guard.Hold();
      EXPECT_TRUE(guard.DeferWhileBusy([&] { closes.push_back(1); }));
      EXPECT_TRUE(guard.DeferWhileBusy([&] { closes.push_back(2); })) << "asked again: one close is kept";
    }
    EXPECT_TRUE(guard.Busy());
    EXPECT_TRUE(closes.empty());
  }
  EXPECT_FALSE(guard.Busy());
  EXPECT_EQ(closes, std::vector<int>{2});
  { const OperationGuard::Scope later = guard.Hold(); }
  EXPECT_EQ(closes, std::vector<int>{2}) << "the close is not kept past its run";
}

TEST(OperationGuardTest, ADeferredCloseThatMeetsAnotherOperationIsKeptForItsEnd) {
  OperationGuard guard;
  int closes = 0;
  std::function<void()> close;
  close = [&] {
    // The queued close arrives while another operation runs: it asks again.
    if (closes++ == 0) {
      const OperationGuard::Scope other = guard.Hold();
      EXPECT_TRUE(guard.DeferWhileBusy(close));
    }
  };
  {
    const OperationGuard::Scope first = guard.Hold();
    EXPECT_TRUE(guard.DeferWhileBusy(close));
  }
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(guard.Busy());
}

}  // namespace
}  // namespace orvel
