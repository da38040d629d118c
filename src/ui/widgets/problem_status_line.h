#pragma once

#include <QLabel>

#include "live/log_autosave.h"

namespace orvel::ui {

// A line in the window's status bar for a problem that stops nothing (the
// autosave's): shown without a box, in the window's language, and followed
// when the language changes; empty when nothing is wrong.
class ProblemStatusLine final : public QLabel {
  Q_OBJECT

 public:
  explicit ProblemStatusLine(QWidget* parent = nullptr);

  void ShowProblem(const AutosaveProblem& problem);
  void SetLanguage(int languagePosition);

 private:
  void Refresh();

  AutosaveProblem Shown;
  int Language;
};

}  // namespace orvel::ui
