#pragma once

// The main window as the keyboard commands see it: its page control, its
// actions and the controls that keep their own state.

#include "ui/keys/key_window.h"

namespace orvel::ui {

class TForm1;

class FormKeyWindow final : public KeyWindow {
 public:
  explicit FormKeyWindow(TForm1& form) : Form(form) {}

  [[nodiscard]] int CurrentPage() const override;
  void ShowPage(int page) override;
  void FocusMainPageControl() override;
  [[nodiscard]] bool StartEnabled() const override;
  [[nodiscard]] bool StopEnabled() const override;
  void RunStart() override;
  void RunStop() override;
  void SaveAll() override;
  void MakeOneToOne() override;
  [[nodiscard]] bool ReconnectEnabled() const override;
  void Reconnect() override;
  [[nodiscard]] bool CorrectionFieldFocused() const override;
  [[nodiscard]] bool DeltaFieldFocused() const override;

 private:
  TForm1& Form;
};

}  // namespace orvel::ui
