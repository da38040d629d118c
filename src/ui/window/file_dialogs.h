#pragma once

#include <QString>
#include <filesystem>
#include <optional>

class QWidget;

namespace orvel::ui {

// What an open or save dialog asks: the filter as the program writes it
// ("Tab files|*.tab": description, bar, pattern), the extension added to a
// typed name without one ("tab", empty for none) and the proposed name.
struct FileDialogRequest {
  QString Filter;
  QString DefaultSuffix;
  QString ProposedName;
};

// The file dialogs of the window's actions. The Qt dialogs in the program;
// tests answer with a scripted path or a cancel. Nothing is returned when the
// user cancels.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::filesystem::path> Open(const FileDialogRequest& request) = 0;
  virtual std::optional<std::filesystem::path> Save(const FileDialogRequest& request) = 0;

 protected:
  FileDialogs() = default;
  FileDialogs(const FileDialogs&) = default;
  FileDialogs& operator=(const FileDialogs&) = default;
};

// Modal QFileDialogs over `parent`.
class QtFileDialogs final : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : Parent(parent) {}
  void SetParent(QWidget* parent) { Parent = parent; }

  std::optional<std::filesystem::path> Open(const FileDialogRequest& request) override;
  std::optional<std::filesystem::path> Save(const FileDialogRequest& request) override;

 private:
  QWidget* Parent;
};

// "Tab files|*.tab" as a Qt name filter: "Tab files (*.tab)".
QString QtNameFilter(const QString& filter);

// The name the save dialogs propose: "D", then the current date and time in
// the system's short date and long time format, with ":", "." and "/" made
// "_" and every blank "_T".
QString ProposedSaveName();

}  // namespace orvel::ui
