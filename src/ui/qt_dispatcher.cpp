#include "ui/qt_dispatcher.h"

#include <QMetaObject>

namespace orvel::ui {

QtMainThreadDispatcher::QtMainThreadDispatcher(QObject* mainThreadContext)
    : Context(mainThreadContext), Queue([this] {
        // Posting to the context's thread is safe from any thread.
        QMetaObject::invokeMethod(
            Context, [this] { Queue.RunPending(); }, Qt::QueuedConnection);
      }) {}

}  // namespace orvel::ui
