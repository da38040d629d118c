#pragma once

// A link job with the main thread's side played by the test: PumpUntilIdle
// runs the job's main-thread calls as the event loop would.

#include <chrono>

#include "core/main_thread_dispatcher.h"
#include "core/operation_guard.h"
#include "link/link_job.h"

namespace orvel::test {

struct JobRig {
  // True once the job has ended; false when it still ran after `within`.
  bool PumpUntilIdle(std::chrono::milliseconds within = std::chrono::seconds{10}) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (Job.Busy() && std::chrono::steady_clock::now() < deadline) {
      Dispatcher.RunPending();
      Dispatcher.WaitForCall(std::chrono::milliseconds{5});
    }
    return !Job.Busy();
  }

  QueuedDispatcher Dispatcher;
  OperationGuard Guard;
  LinkJob Job{Dispatcher, Guard};
};

}  // namespace orvel::test
