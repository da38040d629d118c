#include "live/log_summary.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace orvel {

namespace {

constexpr std::int32_t kLastPoint = 255;

// The channel a data series draws, as drawn (RPM/100 from the period); none
// for "Tab", which follows the table, and "Enrichment", always 0.
std::optional<Channel> ChannelOf(LogSeries series) {
  switch (series) {
    case LogSeries::Maf:
      return Channel::Maf;
    case LogSeries::Tps:
      return Channel::Tps;
    case LogSeries::Converter:
      return Channel::Conv;
    case LogSeries::Marker:
      return Channel::Marker;
    case LogSeries::Rpm100:
      return Channel::RpmPeriod;
    case LogSeries::O2:
      return Channel::O2;
    case LogSeries::Corr:
      return Channel::Corr;
    case LogSeries::Iat:
      return Channel::Iat;
    case LogSeries::Ect:
      return Channel::Ect;
    case LogSeries::O2Sm:
      return Channel::O2Smooth;
    case LogSeries::LogCorr:
      return Channel::LogCorr;
    default:
      return std::nullopt;
  }
}

// The span of values from..to-1, a sample past the channel's end counting as 0.
ValueSpan RawSpan(std::span<const std::int32_t> values, std::size_t from, std::size_t to) {
  ValueSpan span;
  const std::size_t present = std::min(to, values.size());
  for (std::size_t i = from; i < present; ++i) {
    span.Add(values[i]);
  }
  if (present < to) {
    span.Add(0);
  }
  return span;
}

// RPM/100 falls as the period grows, so over periods that are all positive
// the span follows from the periods' own; a 0 or negative period is taken
// one by one.
ValueSpan Rpm100Span(std::span<const std::int32_t> periods, std::size_t from, std::size_t to) {
  const ValueSpan raw = RawSpan(periods, from, to);
  if (raw.Empty() || raw.Min > 0) {
    return raw.Empty() ? raw : ValueSpan{Rpm100OfPeriod(raw.Max), Rpm100OfPeriod(raw.Min)};
  }
  ValueSpan span;
  for (std::size_t i = from; i < to; ++i) {
    span.Add(i < periods.size() ? Rpm100OfPeriod(periods[i]) : 0);
  }
  return span;
}

void AddMafs(std::span<const std::int32_t> maf, std::size_t from, std::size_t to, MafPointSet& set) {
  for (std::size_t i = from; i < to; ++i) {
    set.Add(maf[i]);
  }
}

// Whole blocks from the pyramid, the samples on either side one by one.
template <typename Node, typename AddSamples>
Node Query(const BlockPyramid<Node>& pyramid, std::size_t first, std::size_t end, AddSamples addSamples) {
  constexpr std::size_t kBlock = LogSummary::kBlock;
  Node node;
  const std::size_t firstBlock = (first + kBlock - 1) / kBlock;
  const std::size_t endBlock = std::min(end / kBlock, pyramid.Blocks());
  if (firstBlock >= endBlock) {
    addSamples(first, end, node);
    return node;
  }
  addSamples(first, firstBlock * kBlock, node);
  pyramid.Collect(firstBlock, endBlock, node);
  addSamples(endBlock * kBlock, end, node);
  return node;
}

}  // namespace

void MafPointSet::Add(std::int32_t maf) {
  const auto point = static_cast<std::size_t>(std::clamp(maf, 0, kLastPoint));
  Words[point / 64] |= std::uint64_t{1} << (point % 64);
}

ValueSpan SeriesSpanOf(const LogChannels& channels, LogSeries series, std::size_t from, std::size_t to) {
  if (from >= to) {
    return {};
  }
  const auto channel = ChannelOf(series);
  if (!channel) {
    return {0, 0};
  }
  const auto values = channels.Of(*channel);
  return series == LogSeries::Rpm100 ? Rpm100Span(values, from, to) : RawSpan(values, from, to);
}

void LogSummary::Invalidate() {
  // The summaries of an earlier log are let go at once: they may be as large
  // as a tenth of its channels.
  *this = LogSummary();
}

void LogSummary::Invalidate(LogSeries series) {
  Current[SeriesIndex(series)] = false;
}

void LogSummary::Refresh(const LogChannels& channels) {
  const std::size_t samples = channels.SampleCount();
  if (samples != Samples) {
    Invalidate();
    Samples = samples;
  }
  const std::size_t blocks = (samples + kBlock - 1) / kBlock;
  for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
    const auto series = static_cast<LogSeries>(s);
    if (Current[s] || !ChannelOf(series)) {
      continue;
    }
    std::vector<ValueSpan> nodes(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
      nodes[b] = SeriesSpanOf(channels, series, b * kBlock, std::min((b + 1) * kBlock, samples));
    }
    Spans[s] = BlockPyramid<ValueSpan>(std::move(nodes));
    Current[s] = true;
  }
  if (!MafsCurrent) {
    const auto maf = channels.Of(Channel::Maf);
    std::vector<MafPointSet> nodes(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
      AddMafs(maf, b * kBlock, std::min((b + 1) * kBlock, samples), nodes[b]);
    }
    Mafs = BlockPyramid<MafPointSet>(std::move(nodes));
    MafsCurrent = true;
  }
}

ValueSpan LogSummary::Span(const LogChannels& channels, LogSeries series, std::size_t first,
                           std::size_t end) const {
  return Query(Spans[SeriesIndex(series)], first, end,
               [&](std::size_t from, std::size_t to, ValueSpan& span) {
                 span.Merge(SeriesSpanOf(channels, series, from, to));
               });
}

MafPointSet LogSummary::MafPoints(const LogChannels& channels, std::size_t first, std::size_t end) const {
  const auto maf = channels.Of(Channel::Maf);
  return Query(Mafs, first, end,
               [&](std::size_t from, std::size_t to, MafPointSet& set) { AddMafs(maf, from, to, set); });
}

std::size_t LogSummary::Bytes() const {
  std::size_t bytes = Mafs.Bytes();
  for (const auto& spans : Spans) {
    bytes += spans.Bytes();
  }
  return bytes;
}

}  // namespace orvel
