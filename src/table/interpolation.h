#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orvel {

// Indices of the anchors of one pass, in ascending order.
struct AnchorList {
  std::array<int, 256> Index{};
  int Count = 0;
  void Add(int i) { Index[static_cast<std::size_t>(Count++)] = i; }
};

// y0 + slope × k rounded to nearest, ties to even.
std::int32_t LineValue(std::int32_t y0, double slope, int k);

// The slope between two anchors of `values`.
double AnchorSlope(std::span<const std::int32_t> values, int a, int b);

// Fills the entries between consecutive anchors a < b with y[a] + slope × (i − a)
// for i = a … b − 1, optionally limited to 0…255. Indices are into `values`.
void FillBetweenAnchors(std::span<std::int32_t> values, const AnchorList& anchors, bool limit);

// Collects the indices first…last of `flags` whose flag is above 0, relative to `offset`.
AnchorList FlaggedAnchors(std::span<const std::int32_t> flags, int first, int last, int offset = 0);

}  // namespace orvel
