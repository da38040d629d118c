#pragma once

// The tests reach a page's controls by their object names, the way a user
// finds them by their captions: the pages offer no widget members.

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace orvel::ui::test {

// The child (at any depth) of `root` named `name` and of type T; throws when
// there is none, naming what was looked for.
template <typename T>
T& Find(const QObject& root, const char* name) {
  T* found = root.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) {
    throw std::runtime_error("no " + std::string(T::staticMetaObject.className()) + " named \"" + name +
                             "\" below \"" + root.objectName().toStdString() + "\"");
  }
  return *found;
}

}  // namespace orvel::ui::test
