#include "live/log_chart_lines.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "live/log.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::int32_t kLastPoint = 255;
// Up to this many samples a column every sample is drawn as it is.
constexpr std::int64_t kSamplesPerColumnDrawnAsTheyAre = 2;
// A column's edge moves by at most its width over this.
constexpr std::int64_t kAlignmentsPerColumn = 4;

// The samples a column of `width` samples starts on a multiple of: the
// widest node of the summary no wider than a quarter of the column, 1 for a
// column narrower than four blocks.
std::int64_t AlignmentOf(std::int64_t width) {
  const auto fanout = static_cast<std::int64_t>(BlockPyramid<ValueSpan>::kFanout);
  auto unit = static_cast<std::int64_t>(LogSummary::kBlock);
  if (width < kAlignmentsPerColumn * unit) {
    return 1;
  }
  while (unit * fanout * kAlignmentsPerColumn <= width) {
    unit *= fanout;
  }
  return unit;
}

using TableOutputs = std::array<std::int32_t, kLastPoint + 1>;

TableOutputs OutputsOf(const Table* table) {
  TableOutputs outputs{};
  if (table != nullptr) {
    for (std::int32_t m = 0; m <= kLastPoint; ++m) {
      outputs[static_cast<std::size_t>(m)] = table->GetOut(m);
    }
  }
  return outputs;
}

// The span of a series over samples first..end-1; "Tab" through the MAF
// points seen there.
ValueSpan SpanOf(const LogChannels& channels, const LogSummary& summary, const TableOutputs& outputs,
                 LogSeries series, std::size_t first, std::size_t end) {
  if (series != LogSeries::Tab) {
    return summary.Span(channels, series, first, end);
  }
  ValueSpan span;
  summary.MafPoints(channels, first, end).ForEach([&](std::int32_t m) {
    span.Add(outputs[static_cast<std::size_t>(m)]);
  });
  return span;
}

class LineBuilder {
 public:
  LineBuilder(const LogChannels& channels, const LogSummary& summary, const Table* table)
      : Channels(channels), Summary(summary), Outputs(OutputsOf(table)) {}

  void Reserve(std::size_t points) {
    Lines.Time.reserve(points);
    for (auto& values : Lines.Values) {
      values.reserve(points);
    }
  }

  // One point of every series: the value of sample i.
  void AddSample(std::int64_t i) {
    const auto at = static_cast<std::size_t>(i);
    Lines.Time.push_back(ChartTimeOfIndex(i));
    for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
      const ValueSpan span = SpanOf(Channels, Summary, Outputs, static_cast<LogSeries>(s), at, at + 1);
      Lines.Values[s].push_back(span.Min);
    }
  }

  // Two points of every series for samples first..end-1: their extremes.
  void AddColumn(std::int64_t first, std::int64_t end) {
    const double time = (ChartTimeOfIndex(first) + ChartTimeOfIndex(end - 1)) / 2;
    Lines.Time.push_back(time);
    Lines.Time.push_back(time);
    for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
      const ValueSpan span = SpanOf(Channels, Summary, Outputs, static_cast<LogSeries>(s),
                                    static_cast<std::size_t>(first), static_cast<std::size_t>(end));
      std::vector<double>& values = Lines.Values[s];
      const double low = span.Min;
      const double high = span.Max;
      const bool highFirst =
          !values.empty() && std::abs(values.back() - high) < std::abs(values.back() - low);
      values.push_back(highFirst ? high : low);
      values.push_back(highFirst ? low : high);
    }
  }

  LogChartLines Take() { return std::move(Lines); }

 private:
  const LogChannels& Channels;
  const LogSummary& Summary;
  TableOutputs Outputs;
  LogChartLines Lines;
};

}  // namespace

LogChartLines BuildLogChartLines(const LogChannels& channels, const LogSummary& summary,
                                 const LogWindow& window, std::int64_t columns, const Table* table) {
  const auto samples = static_cast<std::int64_t>(channels.SampleCount());
  if (samples == 0) {
    return {};
  }
  columns = std::max<std::int64_t>(columns, 1);
  const std::int64_t first = std::clamp<std::int64_t>(window.FirstIndex, 0, samples - 1);
  const std::int64_t last = std::clamp<std::int64_t>(window.LastIndex, first, samples - 1);
  const std::int64_t count = last - first + 1;
  LineBuilder builder(channels, summary, table);
  if (count <= kSamplesPerColumnDrawnAsTheyAre * columns) {
    const std::int64_t from = std::max<std::int64_t>(first - 1, 0);
    const std::int64_t to = std::min(last + 1, samples - 1);
    builder.Reserve(static_cast<std::size_t>(to - from + 1));
    for (std::int64_t i = from; i <= to; ++i) {
      builder.AddSample(i);
    }
    return builder.Take();
  }
  // Column c holds samples Boundary(c) .. Boundary(c + 1) - 1; columns -1 and
  // `columns` are the margins. A wide column starts on the widest node of the
  // summary that is at most a quarter of its width: the summary then answers
  // it from a few nodes of one level, read in order from column to column,
  // and no column's edge moves by more than a quarter of its width.
  const std::int64_t unit = AlignmentOf(count / columns);
  const auto boundary = [&](std::int64_t c) {
    std::int64_t at = first + c * count / columns;
    if (at > 0) {
      at -= at % unit;
    }
    return std::clamp<std::int64_t>(at, 0, samples);
  };
  builder.Reserve(static_cast<std::size_t>(2 * (columns + 2)));
  for (std::int64_t c = -1; c <= columns; ++c) {
    const std::int64_t from = boundary(c);
    const std::int64_t to = boundary(c + 1);
    if (from < to) {
      builder.AddColumn(from, to);
    }
  }
  return builder.Take();
}

}  // namespace orvel
