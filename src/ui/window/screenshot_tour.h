#pragma once

#include <functional>

class QTabWidget;
class QWidget;

namespace orvel::ui {

class ConnectionPageWidget;

// What the tour shows and photographs.
struct TourWindow {
  // The main window: grabbed, and closed at the end.
  QWidget& Window;
  QTabWidget& Pages;
  ConnectionPageWidget& Connection;
  // Applies a language position to every caption.
  std::function<void(int)> ApplyLanguage;
};

// For people checking the layout: when the environment names a folder in
// ORVEL_SCREENSHOT_DIR, the program shows every page and inner page in
// Russian and in English once it runs, saves each as a PNG there
// ("<language>-<page>.png"), and closes. Without the variable it does nothing.
void RunScreenshotTourIfRequested(const TourWindow& window);

}  // namespace orvel::ui
