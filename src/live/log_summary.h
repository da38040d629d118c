#pragma once

// Minimum and maximum of every drawn log series over any run of samples, in
// time that grows with the logarithm of the run's length rather than with the
// run: the log chart asks it once per pixel column, so drawing, zooming and
// panning a ten-hour log cost no more than an hour's.
//
// The "Tab" line depends on the table, which changes while the log stays:
// for it the summary keeps the set of MAF points seen, and the chart takes
// the table's outputs over that set.
//
// It does no locking: `Log` keeps it with the channels, under their lock.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "live/block_pyramid.h"
#include "live/log_channels.h"
#include "live/log_chart.h"

namespace orvel {

// The lowest and highest of some values; empty (Min > Max) before the first.
struct ValueSpan {
  std::int32_t Min = std::numeric_limits<std::int32_t>::max();
  std::int32_t Max = std::numeric_limits<std::int32_t>::min();

  [[nodiscard]] bool Empty() const { return Min > Max; }
  void Add(std::int32_t value) {
    Min = value < Min ? value : Min;
    Max = value > Max ? value : Max;
  }
  void Merge(const ValueSpan& other) {
    Min = other.Min < Min ? other.Min : Min;
    Max = other.Max > Max ? other.Max : Max;
  }
  friend bool operator==(const ValueSpan&, const ValueSpan&) = default;
};

// The MAF points (0..255, values outside held to the ends) seen in some
// samples: bit m of word m / 64.
struct MafPointSet {
  std::array<std::uint64_t, 4> Words{};

  void Add(std::int32_t maf);
  void Merge(const MafPointSet& other) {
    for (std::size_t w = 0; w < Words.size(); ++w) {
      Words[w] |= other.Words[w];
    }
  }
  // Runs visit(point) for every point in the set, in rising order.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (std::size_t w = 0; w < Words.size(); ++w) {
      for (std::uint64_t bits = Words[w]; bits != 0; bits &= bits - 1) {
        visit(static_cast<std::int32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
      }
    }
  }
};

// The exact span of series `series` (a data series other than "Tab") over
// samples from..to-1, from the channels themselves.
ValueSpan SeriesSpanOf(const LogChannels& channels, LogSeries series, std::size_t from, std::size_t to);

class LogSummary {
 public:
  // Samples per node of the lowest level.
  static constexpr std::size_t kBlock = 16;

  // Brings the summary up to the channels: everything is rebuilt after a
  // change of the sample count or Invalidate(), a series alone after
  // Invalidate(series).
  void Refresh(const LogChannels& channels);
  void Invalidate();
  void Invalidate(LogSeries series);

  // The span of a data series other than "Tab" over samples first..end-1;
  // empty for an empty run. Needs a Refresh since the channels last changed.
  [[nodiscard]] ValueSpan Span(const LogChannels& channels, LogSeries series, std::size_t first,
                               std::size_t end) const;
  // The MAF points seen in samples first..end-1.
  [[nodiscard]] MafPointSet MafPoints(const LogChannels& channels, std::size_t first, std::size_t end) const;

  // Bytes held by the summaries.
  [[nodiscard]] std::size_t Bytes() const;

 private:
  std::size_t Samples = 0;
  std::array<BlockPyramid<ValueSpan>, kLogDataSeriesCount> Spans;  // "Tab" and "Enrichment" stay empty
  std::array<bool, kLogDataSeriesCount> Current{};
  BlockPyramid<MafPointSet> Mafs;
  bool MafsCurrent = false;
};

}  // namespace orvel
