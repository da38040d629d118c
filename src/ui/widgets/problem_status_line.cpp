#include "ui/widgets/problem_status_line.h"

#include "core/ui_texts.h"

namespace orvel::ui {

ProblemStatusLine::ProblemStatusLine(QWidget* parent) : QLabel(parent), Language(kLanguageEnglish) {
  setObjectName(QStringLiteral("AutosaveProblem"));
  setWordWrap(true);
}

void ProblemStatusLine::ShowProblem(const AutosaveProblem& problem) {
  Shown = problem;
  Refresh();
}

void ProblemStatusLine::SetLanguage(int languagePosition) {
  Language = languagePosition;
  Refresh();
}

void ProblemStatusLine::Refresh() {
  const std::string& text = Language == kLanguageRussian ? Shown.Russian : Shown.English;
  setText(QString::fromStdString(text));
  setVisible(!text.empty());
}

}  // namespace orvel::ui
