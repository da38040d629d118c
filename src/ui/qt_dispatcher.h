#pragma once

#include <QObject>

#include "core/main_thread_dispatcher.h"

namespace orvel::ui {

// Hands the live-data thread's calls to the event loop: each queued call
// posts a RunPending into the main thread, and the thread waits as the
// headless queue lets it (giving up when asked to stop before the call began).
class QtMainThreadDispatcher final : public MainThreadDispatcher {
 public:
  explicit QtMainThreadDispatcher(QObject* mainThreadContext);

  bool RunAndWait(std::function<void()> call, std::stop_token stop) override {
    return Queue.RunAndWait(std::move(call), std::move(stop));
  }
  // Runs what is queued now; the event loop does this by itself.
  std::size_t RunPending() { return Queue.RunPending(); }

 private:
  // Set once before any live-data thread exists; the window it names joins
  // that thread before it goes.
  QObject* const Context;
  QueuedDispatcher Queue;
};

}  // namespace orvel::ui
