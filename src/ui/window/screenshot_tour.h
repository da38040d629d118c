#pragma once

#include <QString>

namespace orvel::ui {

class TForm1;

// For people checking the layout: when the environment names a folder in
// ORVEL_SCREENSHOT_DIR, the program shows every page and inner page in
// Russian and in English once it runs, saves each as a PNG there
// ("<language>-<page>.png"), and closes. Without the variable it does nothing.
void RunScreenshotTourIfRequested(TForm1& window);

}  // namespace orvel::ui
