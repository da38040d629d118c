#pragma once

// Keeps the program's close away from the long operations on the link: a
// table read or write, a firmware update, a sensor calibration. They run on
// the main thread and let the event loop turn while their progress repaints
// or their count-down waits, so a close asked for meanwhile (the window's
// close button, SIGTERM) would otherwise take the link down under them, or
// write its Stop command into the middle of their byte stream.
//
// Each operation holds a Scope while it runs; a close asked for meanwhile is
// kept and handed back once the last scope has ended. Each operation ends on
// its own time-outs, so the close waits a bounded time.
//
// Threads: main thread only (the operations and the close both run there).

#include <functional>

namespace orvel {

class OperationGuard {
 public:
  class [[nodiscard]] Scope {
   public:
    explicit Scope(OperationGuard& guard);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    Scope(Scope&&) = delete;
    Scope& operator=(Scope&&) = delete;

   private:
    OperationGuard& Guard;
  };

  OperationGuard() = default;
  OperationGuard(const OperationGuard&) = delete;
  OperationGuard& operator=(const OperationGuard&) = delete;

  // Marks an operation as running until the returned scope ends.
  Scope Hold() { return Scope(*this); }

  [[nodiscard]] bool Busy() const { return Held > 0; }

  // While an operation runs: keeps `close` (in place of any kept before) and
  // returns true; `close` runs once, right after the last scope has ended,
  // while the operation's callers are still on the stack, so it should only
  // post the close to the event loop. Otherwise returns false and keeps
  // nothing: the caller closes now.
  bool DeferWhileBusy(std::function<void()> close);

 private:
  void Release();

  int Held = 0;
  std::function<void()> DeferredClose;
};

}  // namespace orvel
