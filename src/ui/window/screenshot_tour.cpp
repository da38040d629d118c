#include "ui/window/screenshot_tour.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "core/ui_texts.h"
#include "ui/connection_page.h"
#include "ui/widgets/calibration_overlay.h"

namespace orvel::ui {

namespace {

void Save(QWidget& window, const QDir& folder, const QString& name) {
  QApplication::processEvents();
  window.grab().save(folder.filePath(name + QStringLiteral(".png")));
}

void Tour(const TourWindow& window, const QDir& folder) {
  for (const int language : {kLanguageRussian, kLanguageEnglish}) {
    const QString prefix = language == kLanguageEnglish ? QStringLiteral("en") : QStringLiteral("ru");
    window.Connection.ShowLanguage(language);
    window.ApplyLanguage(language);
    // The contactless sensor's group shows once a converter has one; show it
    // here so its captions are seen too.
    window.Connection.ShowSensorGroup();
    QTabWidget& pages = window.Pages;
    for (int page = 0; page < pages.count(); ++page) {
      pages.setCurrentIndex(page);
      auto* inner = qobject_cast<QTabWidget*>(pages.widget(page));
      const int innerCount = inner != nullptr ? inner->count() : 1;
      for (int sub = 0; sub < innerCount; ++sub) {
        if (inner != nullptr) {
          inner->setCurrentIndex(sub);
        }
        Save(window.Window, folder, QStringLiteral("%1-page%2-%3").arg(prefix).arg(page + 1).arg(sub + 1));
      }
    }
  }
  TCalibrationOverlayForm overlay(&window.Window);
  overlay.show();
  QApplication::processEvents();
  overlay.grab().save(folder.filePath(QStringLiteral("calibration-overlay.png")));
}

}  // namespace

void RunScreenshotTourIfRequested(const TourWindow& window) {
  const QString path = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
  if (path.isEmpty()) {
    return;
  }
  QTimer::singleShot(500, &window.Window, [window, path] {
    const QDir folder(path);
    QDir().mkpath(path);
    Tour(window, folder);
    window.Window.close();
  });
}

}  // namespace orvel::ui
