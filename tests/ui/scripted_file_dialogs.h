#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

#include "ui/window/file_dialogs.h"

namespace orvel::ui::test {

// File dialogs that answer from a queue: a path, or nothing for a cancel.
// Every request is kept so tests can check the filter, extension and name.
class ScriptedFileDialogs final : public FileDialogs {
 public:
  void Answer(std::optional<std::filesystem::path> answer) { Answers.push_back(std::move(answer)); }

  std::optional<std::filesystem::path> Open(const FileDialogRequest& request) override {
    return Next(request);
  }
  std::optional<std::filesystem::path> Save(const FileDialogRequest& request) override {
    return Next(request);
  }

  std::vector<FileDialogRequest> Requests;

 private:
  std::optional<std::filesystem::path> Next(const FileDialogRequest& request) {
    Requests.push_back(request);
    if (Answers.empty()) {
      return std::nullopt;
    }
    auto answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  std::deque<std::optional<std::filesystem::path>> Answers;
};

}  // namespace orvel::ui::test
