#pragma once

// Which parameter the function keys have selected on the dashboard, the table
// page and the log page, and which of each page's selection labels ("F1" …
// "F12") is shown bold and italic. The window's labels show this state; the
// keyboard commands and the focus rules of the fields change it.
//
// Threads: main thread only.

#include <cstdint>
#include <functional>
#include <span>
#include <utility>

#include "core/signal.h"

namespace orvel {

enum class SelectionPage { Dashboard, Table, Log };

class KeySelection {
 public:
  using ChangeHandler = std::function<void()>;

  // The function-key numbers that have a label on each page.
  static constexpr std::int32_t kDashboardLabels[] = {1, 2, 3, 4, 5, 10, 11, 12};
  static constexpr std::int32_t kTableLabels[] = {1, 2, 3, 4, 5, 6, 7};
  static constexpr std::int32_t kLogLabels[] = {1, 2};
  // The dashboard's F3 selects nothing and its label is never shown.
  static constexpr std::int32_t kHiddenDashboardLabel = 3;
  // Table parameters above this select no slider.
  static constexpr std::int32_t kTableSliders = 7;

  [[nodiscard]] static std::span<const std::int32_t> Labels(SelectionPage page);
  [[nodiscard]] static bool LabelVisible(SelectionPage page, std::int32_t key);

  // After every change of a label's style (not of a bare parameter).
  Signal<> LabelsChanged;

  [[nodiscard]] std::int32_t DashParam() const { return Dash; }
  [[nodiscard]] std::int32_t TableParam() const { return TableSelected; }
  [[nodiscard]] std::int32_t LogParam() const { return LogSelected; }

  // The label shown selected on a page: bold and italic, the others plain.
  [[nodiscard]] std::int32_t SelectedLabel(SelectionPage page) const;
  [[nodiscard]] bool LabelSelected(SelectionPage page, std::int32_t key) const {
    return SelectedLabel(page) == key;
  }

  // A function key on the dashboard (1…5, 10…12): the parameter and its label.
  void SelectDash(std::int32_t key);
  // A function key on the table page: 1…7 select a slider and its label;
  // 8…12 select none and leave the labels as they are.
  void SelectTable(std::int32_t key);
  // F1 or F2 on the log page.
  void SelectLog(std::int32_t key);
  // The labels show F1 selected while the parameter stays what it was (the
  // arrow keys with a parameter that has no arrow command of its own).
  void ShowDashF1() { ShowLabel(SelectionPage::Dashboard, 1); }
  void ShowTableF1() { ShowLabel(SelectionPage::Table, 1); }

  // Esc: a border or Delta selection returns to F1.
  void Escape();
  // The correction changed (its arrows, a key, the decision): F1 unless
  // already selected.
  void CorrectionChanged();
  // "Delta" changed or took the focus: F10 unless already selected. True when
  // it selected F10 (the window then gives the focus to the page control).
  bool DeltaTouched();

 private:
  void ShowLabel(SelectionPage page, std::int32_t key);

  std::int32_t Dash = 1;
  std::int32_t TableSelected = 1;
  std::int32_t LogSelected = 1;
  std::int32_t DashLabel = 1;
  std::int32_t TableLabel = 1;
  std::int32_t LogLabel = 1;
};

}  // namespace orvel
