#include "table/parameters.h"

#include <algorithm>
#include <cstdlib>

#include "core/number_format.h"

namespace orvel {

namespace {

struct FieldInfo {
  std::string_view Name;
  std::size_t Entry;
  std::int32_t Min;
  std::int32_t Max;
  std::int32_t Default;  // block units
};

constexpr std::array<FieldInfo, kPanelFieldCount> kFields{{
    {"SmoothTps", TableBlock::kSmoothTps, 0, 100, 128},
    {"SmoothMaf", TableBlock::kSmoothMaf, 0, 100, 128},
    {"SmoothRpm", TableBlock::kSmoothRpm, 0, 100, 128},
    {"MafTime", TableBlock::kMafTime, 4, 150, 4},
    {"Threshold", TableBlock::kThreshold, 5, 100, 5},
    {"Enrichment", TableBlock::kEnrichment, 0, 100, 128},
    {"Enleanment", TableBlock::kEnleanment, 0, 100, 64},
    {"TpsThreshold", TableBlock::kTpsThreshold, 0, 255, 255},
}};

const FieldInfo& Info(PanelField field) {
  return kFields[static_cast<std::size_t>(field)];
}

constexpr std::int32_t kEnrichmentBase = 128;
constexpr std::int32_t kLargestByte = 255;

}  // namespace

std::string_view PanelFieldName(PanelField field) {
  return Info(field).Name;
}
std::size_t PanelFieldEntry(PanelField field) {
  return Info(field).Entry;
}

std::int32_t PercentToBlock(std::int32_t percent) {
  return static_cast<std::int32_t>(RoundHalfEven(percent * 1.28));
}

std::int32_t BlockToPercent(std::int32_t value) {
  // value × 25 / 32 exactly, in integers: the remainder decides the rounding.
  const std::int64_t scaled = static_cast<std::int64_t>(std::abs(value)) * 25;
  std::int64_t magnitude = scaled / 32;
  if (scaled % 32 > 16) {
    ++magnitude;
  }
  return static_cast<std::int32_t>(value < 0 ? -magnitude : magnitude);
}

std::int32_t PanelNumber(std::string_view text) {
  constexpr std::int64_t kSaturation = 1'000'000'000;
  std::int64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      break;
    }
    number = std::min(number * 10 + (c - '0'), kSaturation);
  }
  return static_cast<std::int32_t>(number);
}

std::int32_t ParameterToDisplay(PanelField field, const TableBlock& block) {
  const std::int32_t value = block[Info(field).Entry];
  switch (field) {
    case PanelField::SmoothTps:
    case PanelField::SmoothMaf:
    case PanelField::SmoothRpm:
    case PanelField::Enleanment:
      return BlockToPercent(value);
    case PanelField::Enrichment:
      return BlockToPercent(value - kEnrichmentBase);
    case PanelField::MafTime:
    case PanelField::Threshold:
    case PanelField::TpsThreshold:
      return value;
  }
  return value;
}

std::int32_t ParameterToBlock(PanelField field, std::int32_t display) {
  const FieldInfo& info = Info(field);
  const std::int32_t limited = std::clamp(display, info.Min, info.Max);
  switch (field) {
    case PanelField::SmoothTps:
    case PanelField::SmoothMaf:
    case PanelField::SmoothRpm:
    case PanelField::Enleanment:
      return PercentToBlock(limited);
    case PanelField::Enrichment:
      return std::min(PercentToBlock(limited) + kEnrichmentBase, kLargestByte);
    case PanelField::MafTime:
    case PanelField::Threshold:
      return limited;
    case PanelField::TpsThreshold:
      return kLargestByte;
  }
  return limited;
}

void ResetParameters(TableBlock& block) {
  for (const FieldInfo& info : kFields) {
    block[info.Entry] = info.Default;
  }
}

void ShowParameters(const TableBlock& block, ParameterPanel& panel) {
  for (int i = 0; i < kPanelFieldCount; ++i) {
    const auto field = static_cast<PanelField>(i);
    const std::string text = std::to_string(ParameterToDisplay(field, block));
    // Only a changed field is written, so a bound track bar moves only when it must.
    if (panel.FieldText(field) != text) {
      panel.SetFieldText(field, text);
    }
  }
}

void TakeParameters(const ParameterPanel& panel, TableBlock& block) {
  for (int i = 0; i < kPanelFieldCount; ++i) {
    const auto field = static_cast<PanelField>(i);
    block[Info(field).Entry] = ParameterToBlock(field, PanelNumber(panel.FieldText(field)));
  }
}

}  // namespace orvel
