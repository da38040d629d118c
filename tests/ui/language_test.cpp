// Every language-dependent text goes through the window's text registry: a
// switch rewrites all of them, and no visible caption escapes it.

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "core/ui_texts.h"
#include "frame_rig.h"
#include "ui/pages/firmware_page.h"
#include "ui/progress_window.h"
#include "ui/window/text_registry.h"

namespace orvel::ui {
namespace {

using test::Find;

// The text a registered control shows now: a tab's caption for a page of a
// tab widget, else the control's own caption or title.
QString ShownText(QObject* owner) {
  if (auto* label = qobject_cast<QLabel*>(owner)) {
    return label->text();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(owner)) {
    return button->text();
  }
  if (auto* group = qobject_cast<QGroupBox*>(owner)) {
    return group->title();
  }
  if (auto* action = qobject_cast<QAction*>(owner)) {
    return action->text();
  }
  if (auto* axis = qobject_cast<QCPAxis*>(owner)) {
    return axis->label();
  }
  auto* widget = qobject_cast<QWidget*>(owner);
  if (widget == nullptr) {
    return {};
  }
  if (auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget())) {
    if (auto* pages = qobject_cast<QTabWidget*>(stack->parentWidget())) {
      return pages->tabText(pages->indexOf(widget));
    }
  }
  return widget->windowTitle();
}

void SwitchLanguage(TForm1& window, int position) {
  auto& list = Find<QComboBox>(window.ConnectionPage(), "ComboBoxLanguage");
  list.setCurrentIndex(position);
  emit list.activated(position);
}

QStringList MemoLines(TForm1& window) {
  const QString text = Find<QPlainTextEdit>(window.ConnectionPage(), "Memo1").toPlainText();
  return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

QStringList Expected(const std::vector<std::string>& lines) {
  QStringList result;
  for (const auto& line : lines) {
    result.append(QString::fromStdString(line));
  }
  return result;
}

void ExpectEveryRegisteredText(TForm1& window, int position) {
  int checked = 0;
  for (const TextRegistry::Entry& entry : window.Texts().Entries()) {
    ASSERT_FALSE(entry.Owner.isNull());
    const QString expected = QString::fromUtf8(entry.Text.For(position).data(),
                                               static_cast<qsizetype>(entry.Text.For(position).size()));
    EXPECT_EQ(ShownText(entry.Owner.data()), expected) << entry.Owner->objectName().toStdString();
    ++checked;
  }
  EXPECT_GE(checked, 20);
}

TEST(LanguageTest, RussianEnglishRussianRewritesEveryRegisteredText) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  for (const int position : {kLanguageRussian, kLanguageEnglish, kLanguageRussian}) {
    SCOPED_TRACE(position);
    SwitchLanguage(window, position);
    ExpectEveryRegisteredText(window, position);
    EXPECT_EQ(MemoLines(window), Expected(HotKeyMemoLines(position)));
    EXPECT_EQ(window.SoundFolder(), position == kLanguageEnglish ? "Sound/En/" : "Sound/Ru/");
  }
  EXPECT_EQ(MemoLines(window).size(), 28);
  // Captions from the tables, spot-checked against the registry's own texts.
  EXPECT_EQ(Find<QPushButton>(window.ConnectionPage(), "ButtonCalibrateKMA").text(),
            QStringLiteral("Калибровать датчик"));
  EXPECT_EQ(Find<QAction>(window.Firmware(), "FileOpenFirmware").text(), QStringLiteral("Обновить из файла"));
  EXPECT_EQ(window.ProgressWindow().windowTitle(), QStringLiteral("Запись таблицы"));
  EXPECT_EQ(window.MainPageControl().tabText(TForm1::kConnectionPage), QStringLiteral(" 1 "));
}

TEST(LanguageTest, AnUnknownPositionGivesRussianCaptionsAnEmptyMemoAndKeepsTheSoundFolder) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  window.ApplyLanguage(5);
  ExpectEveryRegisteredText(window, 5);
  EXPECT_TRUE(MemoLines(window).isEmpty());
  EXPECT_EQ(window.SoundFolder(), "Sound/En/");
}

// Walks every page (and inner page) shown in turn and lists the visible
// captions that are neither registered with a text nor registered as fixed.
QStringList UnregisteredCaptions(TForm1& window) {
  const TextRegistry& texts = window.Texts();
  QStringList missing;
  const auto check = [&](QObject* owner, const QString& caption) {
    if (!caption.trimmed().isEmpty() && !texts.Registered(owner)) {
      missing.append(QStringLiteral("%1 \"%2\"").arg(owner->objectName(), caption));
    }
  };
  const auto walk = [&] {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      if (!widget->isVisible()) {
        continue;
      }
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        check(label, label->text());
      } else if (auto* tool = qobject_cast<QToolButton*>(widget);
                 tool != nullptr && qobject_cast<QToolBar*>(tool->parentWidget()) != nullptr) {
        // A bar's button shows its action.
        if (tool->defaultAction() != nullptr) {
          check(tool->defaultAction(), tool->defaultAction()->text());
        }
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        check(button, button->text());
      } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        check(group, group->title());
      } else if (auto* pages = qobject_cast<QTabWidget*>(widget)) {
        for (int i = 0; i < pages->count(); ++i) {
          check(pages->widget(i), pages->tabText(i));
        }
      }
    }
  };
  QTabWidget& main = window.MainPageControl();
  for (int page = 0; page < main.count(); ++page) {
    main.setCurrentIndex(page);
    auto* inner = qobject_cast<QTabWidget*>(main.widget(page));
    for (int sub = 0; sub < (inner != nullptr ? inner->count() : 1); ++sub) {
      if (inner != nullptr) {
        inner->setCurrentIndex(sub);
      }
      QApplication::processEvents();
      walk();
    }
  }
  missing.removeDuplicates();
  return missing;
}

TEST(LanguageTest, NoVisibleCaptionIsLeftOutOfTheRegistry) {
  test::FrameRig rig;
  rig.Start();
  TForm1& window = *rig.Window;
  window.show();
  // The contactless sensor's group shows after a query; check it too.
  Find<QGroupBox>(window.ConnectionPage(), "GroupBoxContactlessSettings").show();
  EXPECT_EQ(UnregisteredCaptions(window), QStringList{});
}

}  // namespace
}  // namespace orvel::ui
