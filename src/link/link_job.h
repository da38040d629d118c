#pragma once

// One exchange sequence with the converter on a worker thread, so the window
// keeps turning while the converter takes its time (a connect reads the
// table, waits for the line to settle and sits out the identification's
// time-out: about two seconds). The sequence reaches the main thread's models
// and the window only through OnMain, which runs a call there and waits for it.
//
// At most one job runs. While it does, the main thread starts no exchange of
// its own (it asks Busy). Cancel stops the job: its reads and waits end at
// once, a main-thread call not yet begun is dropped, and the worker is joined.
// Each main-thread call holds the operation guard, so a close asked for
// during it (a message box it shows turns the event loop) waits until it has
// returned instead of cancelling the job from under it.
//
// Threads: Start, Busy and Cancel on the main thread; the work on the worker.

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <thread>

#include "core/main_thread_dispatcher.h"
#include "core/operation_guard.h"
#include "core/signal.h"

namespace orvel {

// What a job's work has besides the link.
class LinkJobContext {
 public:
  LinkJobContext(std::stop_token stop, MainThreadDispatcher& dispatcher, OperationGuard& guard);

  [[nodiscard]] const std::stop_token& Stop() const { return StopToken; }
  [[nodiscard]] bool Stopped() const { return StopToken.stop_requested(); }
  // Runs `call` on the main thread and waits until it has returned; false
  // when the job was cancelled before the call began (it then never runs).
  bool OnMain(const std::function<void()>& call) const;
  // Sleeps `time`, or less when the job is cancelled meanwhile.
  void Sleep(std::chrono::milliseconds time) const;

 private:
  std::stop_token StopToken;
  MainThreadDispatcher& Dispatcher;
  OperationGuard& Guard;
};

class LinkJob {
 public:
  using Work = std::function<void(const LinkJobContext&)>;

  LinkJob(MainThreadDispatcher& dispatcher, OperationGuard& guard);
  // Cancels a job under way.
  ~LinkJob();
  LinkJob(const LinkJob&) = delete;
  LinkJob& operator=(const LinkJob&) = delete;

  // Cancels a job under way, then runs `work` on a new worker. When the work
  // has returned, Finished is emitted on the main thread (not after a Cancel).
  void Start(Work work);
  // As Start, for work that must not be cut short (a firmware update): the
  // operation guard is held from here until the job has finished, so a close
  // asked for meanwhile waits for it instead of cancelling it.
  void StartToEnd(Work work);
  // From Start until the job has finished or was cancelled.
  [[nodiscard]] bool Busy() const { return Running; }
  // Stops a job under way and joins its worker. Not from inside one of its
  // main-thread calls (the worker waits for that call).
  void Cancel();

  // The job's work has returned (main thread).
  Signal<> Finished;

 private:
  MainThreadDispatcher& Dispatcher;
  OperationGuard& Guard;
  void Launch(Work work);

  bool Running = false;                          // main thread only
  std::optional<OperationGuard::Scope> Holding;  // main thread only: a job that runs to its end
  std::jthread Worker;                           // last: joined before the members above go
};

}  // namespace orvel
