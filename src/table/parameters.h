#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "table/table_block.h"

namespace orvel {

// The eight parameter fields of a block's panel, in the panel's order.
enum class PanelField {
  SmoothTps,
  SmoothMaf,
  SmoothRpm,
  MafTime,
  Threshold,
  Enrichment,
  Enleanment,
  TpsThreshold
};
inline constexpr int kPanelFieldCount = 8;

// The names the fields go by (the block's own names for the parameters).
std::string_view PanelFieldName(PanelField field);
// The block entry that holds a field's parameter.
std::size_t PanelFieldEntry(PanelField field);

// A block's parameter panel: eight integer fields read and written as decimal
// text. The window's fields implement it; headless callers use TextPanel.
class ParameterPanel {
 public:
  virtual ~ParameterPanel() = default;
  [[nodiscard]] virtual std::string FieldText(PanelField field) const = 0;
  virtual void SetFieldText(PanelField field, const std::string& text) = 0;

 protected:
  ParameterPanel() = default;
  ParameterPanel(const ParameterPanel&) = default;
  ParameterPanel& operator=(const ParameterPanel&) = default;
};

// A panel that only keeps its texts.
class TextPanel final : public ParameterPanel {
 public:
  [[nodiscard]] std::string FieldText(PanelField field) const override {
    return Texts[static_cast<std::size_t>(field)];
  }
  void SetFieldText(PanelField field, const std::string& text) override {
    Texts[static_cast<std::size_t>(field)] = text;
  }
  std::array<std::string, kPanelFieldCount> Texts;
};

// Percent to block units: p × 1.28 rounded to nearest, ties to even.
std::int32_t PercentToBlock(std::int32_t percent);
// Block units to percent: x × 100 / 128 rounded to nearest, an exact half toward zero.
std::int32_t BlockToPercent(std::int32_t value);

// The panel's number in a field's text: the digits up to the first non-digit,
// 0 when there are none. Absurdly long numbers saturate instead of overflowing.
std::int32_t PanelNumber(std::string_view text);

// A parameter in display units as the panel shows it, from its block entry.
std::int32_t ParameterToDisplay(PanelField field, const TableBlock& block);
// A panel value in block units; the value is first limited to the panel's
// range, so a typed 200 % cannot wrap round in the byte a file carries.
// Enrichment stops at 255 (99 % when read back) because 100 % would be 256,
// which the byte turns into 0 (−100 %). TpsThreshold is always 255.
std::int32_t ParameterToBlock(PanelField field, std::int32_t display);

// Writes the default parameters into entries 256…263.
void ResetParameters(TableBlock& block);
// Shows the block's parameters on the panel / takes the panel's into the block.
void ShowParameters(const TableBlock& block, ParameterPanel& panel);
void TakeParameters(const ParameterPanel& panel, TableBlock& block);

}  // namespace orvel
