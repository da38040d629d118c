#include "ui/message_box_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace orvel::ui {

void MessageBoxMessages::ShowMessage(std::string_view text) {
  if (Unattended) {
    UnattendedOutput << QApplication::applicationName().toStdString() << ": " << text << std::endl;
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                  Parent.data());
  box.exec();
}

}  // namespace orvel::ui
