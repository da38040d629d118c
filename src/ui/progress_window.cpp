#include "ui/progress_window.h"

#include <QApplication>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace orvel::ui {

TForm2::TForm2(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Owner(owner),
      Bar(new QProgressBar(this)) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Запись/Writing"));
  setWindowOpacity(220.0 / 255.0);
  setFixedSize(611, 51);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Bar);
}

void TForm2::SetTitle(std::string_view title) {
  setWindowTitle(ToQString(title));
  Repaint();
}

void TForm2::SetRange(int minimum, int maximum) {
  Bar->setRange(minimum, maximum);
  Repaint();
}

void TForm2::SetPosition(int position) {
  Bar->setValue(position);
  Repaint();
}

void TForm2::Show() {
  if (Owner != nullptr) {
    move(Owner->geometry().center() - rect().center());
  }
  show();
  Repaint();
}

void TForm2::Hide() {
  hide();
}

void TForm2::Repaint() {
  // The transfer blocks the event loop; let the bar and the title paint.
  if (isVisible()) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

}  // namespace orvel::ui
