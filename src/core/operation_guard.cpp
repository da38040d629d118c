#include "core/operation_guard.h"

#include <utility>

namespace orvel {

OperationGuard::Scope::Scope(OperationGuard& guard) : Guard(guard) {
  ++Guard.Held;
}

OperationGuard::Scope::~Scope() {
  Guard.Release();
}

bool OperationGuard::DeferWhileBusy(std::function<void()> close) {
  if (!Busy()) {
    return false;
  }
  DeferredClose = std::move(close);
  return true;
}

void OperationGuard::Release() {
  if (--Held > 0 || !DeferredClose) {
    return;
  }
  // Taken out first: the close may ask again or start an operation of its own.
  const std::function<void()> close = std::exchange(DeferredClose, nullptr);
  close();
}

}  // namespace orvel
