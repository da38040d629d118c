#pragma once

#include <QLatin1String>

namespace orvel::ui {

// `object` with its object name set: the name the window's tests and the
// benchmarks find the control by.
template <typename T>
T* Named(T* object, const char* name) {
  object->setObjectName(QLatin1String(name));
  return object;
}

}  // namespace orvel::ui
