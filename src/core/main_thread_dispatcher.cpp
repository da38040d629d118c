#include "core/main_thread_dispatcher.h"

#include <algorithm>

namespace orvel {

bool QueuedDispatcher::RunAndWait(std::function<void()> call, std::stop_token stop) {
  auto entry = std::make_shared<QueuedCall>();
  entry->Call = std::move(call);
  std::unique_lock lock(QueueLock);
  Queue.push_back(entry);
  CallQueued.notify_all();
  if (OnQueued) {
    OnQueued();
  }
  CallFinished.wait(lock, stop, [&] { return entry->State == CallState::Done; });
  if (entry->State == CallState::Queued) {
    // Stop requested before the main thread took the call: drop it.
    std::erase(Queue, entry);
    return false;
  }
  // The main thread is running it (it never joins us meanwhile): wait for its end.
  CallFinished.wait(lock, [&] { return entry->State == CallState::Done; });
  return true;
}

std::size_t QueuedDispatcher::RunPending() {
  std::size_t ran = 0;
  std::unique_lock lock(QueueLock);
  while (!Queue.empty()) {
    const std::shared_ptr<QueuedCall> entry = Queue.front();
    Queue.pop_front();
    entry->State = CallState::Running;
    lock.unlock();
    try {
      entry->Call();
    } catch (...) {
      lock.lock();
      entry->State = CallState::Done;
      CallFinished.notify_all();
      throw;
    }
    lock.lock();
    entry->State = CallState::Done;
    CallFinished.notify_all();
    ++ran;
  }
  return ran;
}

bool QueuedDispatcher::WaitForCall(std::chrono::milliseconds timeout) {
  std::unique_lock lock(QueueLock);
  return CallQueued.wait_for(lock, timeout, [&] { return !Queue.empty(); });
}

}  // namespace orvel
