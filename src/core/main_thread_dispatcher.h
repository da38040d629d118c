#pragma once

// Hand-over of calls from the live-data thread to the main thread.
//
// The live-data thread never touches window state or the bus itself: it hands
// the stop message and error texts to the main thread and waits until they
// have been handled. The window implements the dispatcher with a queued call
// into its event loop; headless callers use QueuedDispatcher and drain it from
// their own loop.
//
// Ordering with Stop: the main thread asks the thread to stop and never joins
// it while it runs a dispatched call. A waiting RunAndWait gives up as soon as
// its stop token is triggered and the call has not begun yet; the call is then
// dropped, never run. So a main thread that requests the stop and then joins
// the reader cannot deadlock with a reader waiting for that same main thread.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

namespace orvel {

class MainThreadDispatcher {
 public:
  virtual ~MainThreadDispatcher() = default;

  // Runs `call` on the main thread and blocks until it has returned. Gives up
  // when `stop` is triggered before the call has begun, dropping the call;
  // once begun, the call is always waited for. True when the call ran.
  virtual bool RunAndWait(std::function<void()> call, std::stop_token stop) = 0;

 protected:
  MainThreadDispatcher() = default;
  MainThreadDispatcher(const MainThreadDispatcher&) = default;
  MainThreadDispatcher& operator=(const MainThreadDispatcher&) = default;
};

// A queue that the headless main loop drains. RunAndWait may be called from
// any thread but the one that drains the queue.
class QueuedDispatcher final : public MainThreadDispatcher {
 public:
  // `onQueued` runs on the calling thread right after a call was queued; an
  // event loop uses it to post itself a RunPending.
  explicit QueuedDispatcher(std::function<void()> onQueued = {}) : OnQueued(std::move(onQueued)) {}

  bool RunAndWait(std::function<void()> call, std::stop_token stop) override;

  // Main thread: runs every call queued so far, oldest first; returns how many ran.
  std::size_t RunPending();
  // Main thread: waits until a call is queued or `timeout` has passed; true
  // when one is queued. Lets a loop sleep between ticks without missing work.
  bool WaitForCall(std::chrono::milliseconds timeout);

 private:
  enum class CallState { Queued, Running, Done };
  struct QueuedCall {
    std::function<void()> Call;
    CallState State = CallState::Queued;  // guarded by QueueLock
  };

  const std::function<void()> OnQueued;  // set once, before any thread uses the queue
  std::mutex QueueLock;
  std::deque<std::shared_ptr<QueuedCall>> Queue;  // guarded by QueueLock
  std::condition_variable_any CallFinished;       // waited on by RunAndWait with QueueLock
  std::condition_variable CallQueued;             // waited on by WaitForCall with QueueLock
};

}  // namespace orvel
