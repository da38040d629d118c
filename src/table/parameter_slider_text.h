#pragma once

#include <string>

#include "core/number_format.h"
#include "table/parameters.h"

namespace orvel {

// The value label beside a parameter slider of the table graph: the sampling
// time in seconds with two decimals ("0,04s" with a comma separator), the
// enrichment as "+N%", the enleanment as "-N%", the others as the number.
std::string SliderValueText(PanelField field, int value, NumberFormat format);

}  // namespace orvel
