#include "core/key_selection.h"

#include <algorithm>

namespace orvel {

namespace {

constexpr std::int32_t kCorrectionKey = 1;
constexpr std::int32_t kDeltaKey = 10;
constexpr std::int32_t kMafBeginningKey = 11;
constexpr std::int32_t kMafEndKey = 12;

bool Contains(std::span<const std::int32_t> keys, std::int32_t key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

std::span<const std::int32_t> KeySelection::Labels(SelectionPage page) {
  switch (page) {
    case SelectionPage::Dashboard:
      return kDashboardLabels;
    case SelectionPage::Table:
      return kTableLabels;
    case SelectionPage::Log:
      return kLogLabels;
  }
  return {};
}

bool KeySelection::LabelVisible(SelectionPage page, std::int32_t key) {
  return Contains(Labels(page), key) && !(page == SelectionPage::Dashboard && key == kHiddenDashboardLabel);
}

std::int32_t KeySelection::SelectedLabel(SelectionPage page) const {
  switch (page) {
    case SelectionPage::Dashboard:
      return DashLabel;
    case SelectionPage::Table:
      return TableLabel;
    case SelectionPage::Log:
      return LogLabel;
  }
  return 0;
}

void KeySelection::ShowLabel(SelectionPage page, std::int32_t key) {
  std::int32_t& shown = page == SelectionPage::Dashboard ? DashLabel
                        : page == SelectionPage::Table   ? TableLabel
                                                         : LogLabel;
  shown = key;
  // Every label of the page is restyled, even when the same one stays
  // selected, as the window's labels are.
  LabelsChanged.Emit();
}

void KeySelection::SelectDash(std::int32_t key) {
  if (!Contains(kDashboardLabels, key)) {
    return;
  }
  Dash = key;
  ShowLabel(SelectionPage::Dashboard, key);
}

void KeySelection::SelectTable(std::int32_t key) {
  if (key < 1 || key > kMafEndKey) {
    return;
  }
  TableSelected = key;
  if (key <= kTableSliders) {
    ShowLabel(SelectionPage::Table, key);
  }
}

void KeySelection::SelectLog(std::int32_t key) {
  if (!Contains(kLogLabels, key)) {
    return;
  }
  LogSelected = key;
  ShowLabel(SelectionPage::Log, key);
}

void KeySelection::Escape() {
  if (Dash == kDeltaKey || Dash == kMafBeginningKey || Dash == kMafEndKey) {
    SelectDash(kCorrectionKey);
  }
}

void KeySelection::CorrectionChanged() {
  if (Dash != kCorrectionKey) {
    SelectDash(kCorrectionKey);
  }
}

bool KeySelection::DeltaTouched() {
  if (Dash == kDeltaKey) {
    return false;
  }
  SelectDash(kDeltaKey);
  return true;
}

}  // namespace orvel
