#pragma once

// What the keyboard commands need of the window beyond the models: its pages,
// the input focus, the actions and the few controls that keep their state in
// the widgets. PagesKeyWindow provides it over the window's pages; the key
// table's tests provide a recording one.

namespace orvel::ui {

class KeyWindow {
 public:
  virtual ~KeyWindow() = default;

  // The main page control's page position (0 connection … 4 setup).
  [[nodiscard]] virtual int CurrentPage() const = 0;
  // A page change by the keyboard: the modifier latches stay as they are.
  virtual void ShowPage(int page) = 0;
  virtual void FocusMainPageControl() = 0;

  [[nodiscard]] virtual bool StartEnabled() const = 0;
  [[nodiscard]] virtual bool StopEnabled() const = 0;
  virtual void RunStart() = 0;
  virtual void RunStop() = 0;
  virtual void SaveAll() = 0;
  // The 1:1 table action ("Замена 1:1").
  virtual void MakeOneToOne() = 0;
  [[nodiscard]] virtual bool ReconnectEnabled() const = 0;
  virtual void Reconnect() = 0;

  // The dashboard's correction field and "Delta" field have the input focus.
  [[nodiscard]] virtual bool CorrectionFieldFocused() const = 0;
  [[nodiscard]] virtual bool DeltaFieldFocused() const = 0;

 protected:
  KeyWindow() = default;
  KeyWindow(const KeyWindow&) = default;
  KeyWindow& operator=(const KeyWindow&) = default;
};

}  // namespace orvel::ui
