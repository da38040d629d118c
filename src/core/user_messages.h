#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// Where the program's messages to the user go. The window shows a modal box
// with one OK button; the command-line tool prints; tests record. The caller
// goes on after every message.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void ShowMessage(std::string_view text) = 0;

 protected:
  UserMessages() = default;
  UserMessages(const UserMessages&) = default;
  UserMessages& operator=(const UserMessages&) = default;
};

// Keeps every message in order; used by tests and by headless callers that
// decide later what to print.
class RecordedMessages final : public UserMessages {
 public:
  void ShowMessage(std::string_view text) override { Texts.emplace_back(text); }
  std::vector<std::string> Texts;
};

}  // namespace orvel
