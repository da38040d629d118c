#include "ui/window/file_dialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QLocale>

#include "live/log_file.h"

namespace orvel::ui {

namespace {

std::optional<std::filesystem::path> Run(QWidget* parent, const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilter(QtNameFilter(request.Filter));
  dialog.setDefaultSuffix(request.DefaultSuffix);
  if (!request.ProposedName.isEmpty()) {
    dialog.selectFile(request.ProposedName);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

}  // namespace

std::optional<std::filesystem::path> QtFileDialogs::Open(const FileDialogRequest& request) {
  return Run(Parent, request, QFileDialog::AcceptOpen);
}

std::optional<std::filesystem::path> QtFileDialogs::Save(const FileDialogRequest& request) {
  return Run(Parent, request, QFileDialog::AcceptSave);
}

QString QtNameFilter(const QString& filter) {
  const qsizetype bar = filter.indexOf(QLatin1Char('|'));
  if (bar < 0) {
    return filter;
  }
  return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QLatin1Char(')');
}

QString ProposedSaveName() {
  const QLocale locale;
  const QDateTime now = QDateTime::currentDateTime();
  const QString text = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                       locale.toString(now.time(), QLocale::LongFormat);
  return QString::fromStdString(LogSaveNameFromText(text.toStdString()));
}

}  // namespace orvel::ui
