#pragma once

// Decimating the log's data series to the chart's pixel columns: the lowest
// and the highest value of every column, so that no spike between two drawn
// points is lost, at a cost that follows the columns, not the samples.

#include <cstdint>

#include "live/log_channels.h"
#include "live/log_chart.h"
#include "live/log_summary.h"

namespace orvel {

class Table;
struct LogWindow;

// The lines over the window split into `columns` columns, with one column of
// margin on each side held within the samples present. `summary` must be
// refreshed for `channels`. `table` gives "Tab"; with none "Tab" is 0. Empty
// when the log holds no sample.
LogChartLines BuildLogChartLines(const LogChannels& channels, const LogSummary& summary,
                                 const LogWindow& window, std::int64_t columns, const Table* table);

}  // namespace orvel
