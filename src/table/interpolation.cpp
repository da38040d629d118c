#include "table/interpolation.h"

#include <algorithm>

#include "core/number_format.h"

namespace orvel {

std::int32_t LineValue(std::int32_t y0, double slope, int k) {
  return static_cast<std::int32_t>(RoundHalfEven(y0 + slope * k));
}

double AnchorSlope(std::span<const std::int32_t> values, int a, int b) {
  return static_cast<double>(values[b] - values[a]) / (b - a);
}

void FillBetweenAnchors(std::span<std::int32_t> values, const AnchorList& anchors, bool limit) {
  for (int n = 0; n + 1 < anchors.Count; ++n) {
    const int a = anchors.Index[n];
    const int b = anchors.Index[n + 1];
    const std::int32_t y0 = values[a];
    const double slope = AnchorSlope(values, a, b);
    for (int i = a; i < b; ++i) {
      const std::int32_t v = LineValue(y0, slope, i - a);
      values[i] = limit ? std::clamp(v, 0, 255) : v;
    }
  }
}

AnchorList FlaggedAnchors(std::span<const std::int32_t> flags, int first, int last, int offset) {
  AnchorList anchors;
  for (int i = first; i <= last; ++i) {
    if (flags[i] > 0) {
      anchors.Add(i - offset);
    }
  }
  return anchors;
}

}  // namespace orvel
