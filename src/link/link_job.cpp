#include "link/link_job.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace orvel {

LinkJobContext::LinkJobContext(std::stop_token stop, MainThreadDispatcher& dispatcher, OperationGuard& guard)
    : StopToken(std::move(stop)), Dispatcher(dispatcher), Guard(guard) {}

bool LinkJobContext::OnMain(const std::function<void()>& call) const {
  return Dispatcher.RunAndWait(
      [this, &call] {
        const OperationGuard::Scope busy = Guard.Hold();
        call();
      },
      StopToken);
}

void LinkJobContext::Sleep(std::chrono::milliseconds time) const {
  std::mutex lock;
  std::condition_variable_any never;
  std::unique_lock held(lock);
  never.wait_for(held, StopToken, time, [] { return false; });
}

LinkJob::LinkJob(MainThreadDispatcher& dispatcher, OperationGuard& guard)
    : Dispatcher(dispatcher), Guard(guard) {}

LinkJob::~LinkJob() {
  Cancel();
}

void LinkJob::Start(Work work) {
  Cancel();
  Launch(std::move(work));
}

void LinkJob::StartToEnd(Work work) {
  Cancel();
  Holding.emplace(Guard);
  Launch(std::move(work));
}

void LinkJob::Launch(Work work) {
  Running = true;
  Worker = std::jthread([this, work = std::move(work)](const std::stop_token& stop) {
    const LinkJobContext context(stop, Dispatcher, Guard);
    try {
      work(context);
    } catch (...) {
      // The work reports its own failures on the main thread; whatever still
      // escapes ends the job like a return, never the program.
    }
    // The last call: the job is over once the main thread has seen it.
    context.OnMain([this] {
      Running = false;
      // A close kept meanwhile is handed back here (it posts itself).
      Holding.reset();
      Finished.Emit();
    });
  });
}

void LinkJob::Cancel() {
  if (Worker.joinable()) {
    Worker.request_stop();
    Worker.join();
  }
  Running = false;
  Holding.reset();
}

}  // namespace orvel
