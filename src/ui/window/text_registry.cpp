#include "ui/window/text_registry.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <algorithm>

#include "ui/qt_text.h"

namespace orvel::ui {

void TextRegistry::Add(QObject* owner, BilingualText text, Setter setter) {
  Texts.push_back(Entry{owner, text, std::move(setter)});
}

void TextRegistry::Add(QLabel* label, BilingualText text) {
  Add(label, text, [label](const QString& value) { label->setText(value); });
}

void TextRegistry::Add(QAbstractButton* button, BilingualText text) {
  Add(button, text, [button](const QString& value) { button->setText(value); });
}

void TextRegistry::Add(QGroupBox* group, BilingualText text) {
  Add(group, text, [group](const QString& value) { group->setTitle(value); });
}

void TextRegistry::Add(QAction* action, BilingualText text) {
  Add(action, text, [action](const QString& value) { action->setText(value); });
}

void TextRegistry::AddTab(QTabWidget* pages, int index, BilingualText text) {
  Add(pages->widget(index), text, [pages, index](const QString& value) { pages->setTabText(index, value); });
}

void TextRegistry::AddFixed(QObject* owner) {
  Fixed.emplace_back(owner);
}

void TextRegistry::AddLanguageHandler(QObject* owner, std::function<void(int)> apply) {
  Handlers.push_back(Handler{owner, std::move(apply)});
}

void TextRegistry::Apply(int languagePosition) const {
  for (const Entry& entry : Texts) {
    if (!entry.Owner.isNull()) {
      entry.Apply(ToQString(entry.Text.For(languagePosition)));
    }
  }
  for (const Handler& handler : Handlers) {
    if (!handler.Owner.isNull()) {
      handler.Apply(languagePosition);
    }
  }
}

bool TextRegistry::Registered(const QObject* owner) const {
  const auto same = [owner](const auto& item) { return item == owner; };
  return std::any_of(Texts.begin(), Texts.end(),
                     [owner](const Entry& entry) { return entry.Owner == owner; }) ||
         std::any_of(Handlers.begin(), Handlers.end(),
                     [owner](const Handler& handler) { return handler.Owner == owner; }) ||
         std::any_of(Fixed.begin(), Fixed.end(), same);
}

}  // namespace orvel::ui
