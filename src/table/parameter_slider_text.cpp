#include "table/parameter_slider_text.h"

namespace orvel {

std::string SliderValueText(PanelField field, int value, NumberFormat format) {
  switch (field) {
    case PanelField::MafTime:
      return FormatFixed(value / 100.0, 2, format) + "s";
    case PanelField::Enrichment:
      return "+" + std::to_string(value) + "%";
    case PanelField::Enleanment:
      return "-" + std::to_string(value) + "%";
    default:
      return std::to_string(value);
  }
}

}  // namespace orvel
