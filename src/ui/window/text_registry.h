#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "core/ui_texts.h"

class QAction;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QObject;
class QTabWidget;
class QWidget;

namespace orvel::ui {

// Every language-dependent text of the window, registered once by the page
// that owns the control: the language switch walks this list, so a new
// control is one line and none is forgotten. Controls whose caption is the
// same in both languages ("COM port", "MAF") are registered as fixed, so a
// check can tell a forgotten control from a deliberately fixed one.
class TextRegistry {
 public:
  using Setter = std::function<void(const QString&)>;

  struct Entry {
    QPointer<QObject> Owner;  // the control the text belongs to
    BilingualText Text;
    Setter Apply;
  };

  // A text written by `setter`; `owner` identifies the control (a widget, an
  // action or a chart) for checks.
  void Add(QObject* owner, BilingualText text, Setter setter);
  void Add(QLabel* label, BilingualText text);
  void Add(QAbstractButton* button, BilingualText text);
  void Add(QGroupBox* group, BilingualText text);
  void Add(QAction* action, BilingualText text);
  void AddTab(QTabWidget* pages, int index, BilingualText text);

  // A control whose caption does not change with the language.
  void AddFixed(QObject* owner);

  // A control that fills itself for the language position (the hot-key
  // memo: its lines for 0 and 1, nothing for any other position). Runs in
  // registration order after the texts.
  void AddLanguageHandler(QObject* owner, std::function<void(int)> apply);

  // Writes every registered text in the chosen language (position 1 English,
  // any other Russian), in registration order.
  void Apply(int languagePosition) const;

  [[nodiscard]] const std::vector<Entry>& Entries() const { return Texts; }
  [[nodiscard]] bool Registered(const QObject* owner) const;

 private:
  struct Handler {
    QPointer<QObject> Owner;
    std::function<void(int)> Apply;
  };

  std::vector<Entry> Texts;
  std::vector<Handler> Handlers;
  std::vector<QPointer<QObject>> Fixed;
};

}  // namespace orvel::ui
