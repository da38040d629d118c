// The table chart's speed: one step of a drag (the edit, its history
// snapshot and the chart's redraw) and a plain redraw of all series.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "table/table.h"
#include "ui/charts/table_chart.h"

namespace orvel::ui {
namespace {

struct ChartedTable {
  ChartedTable() : Model(Bus, Messages, Keys), Chart(false) {
    Chart.resize(1200, 650);
    Chart.show();
    Chart.Attach(Model, true);
    Model.BindGraph(&Chart, true, nullptr);
    for (int i = 0; i < 256; ++i) {
      Model.Tab1()[static_cast<std::size_t>(i)] = i * 9 / 10;
      Model.Trained()[static_cast<std::size_t>(i)] = i % 3 == 0 ? Model.GetOut(i) : 0;
    }
    Model.Redraw();
    Chart.replot();
    QApplication::processEvents();
  }

  void Send(QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, point, Chart.mapToGlobal(point), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&Chart, &event);
  }
  QPoint At(double x, double y) const {
    const PlotArea area = Chart.Area();
    return {static_cast<int>(area.XToPixel(x)), static_cast<int>(area.YToPixel(y))};
  }

  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  Table Model;
  TableChart Chart;
};

void TableDragEdit(benchmark::State& state) {
  ChartedTable table;
  const int start = 100;
  table.Send(QEvent::MouseButtonPress, table.At(start, table.Model.GetOut(start)), Qt::LeftButton,
             Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    // Across the table and back, each move writing one point.
    const int x = start + step % 100;
    const int y = 60 + (step * 7) % 150;
    table.Send(QEvent::MouseMove, table.At(x, y), Qt::NoButton, Qt::LeftButton);
    QApplication::processEvents();  // the queued replot
    ++step;
  }
  table.Send(QEvent::MouseButtonRelease, table.At(start, 0), Qt::LeftButton, Qt::NoButton);
  if (table.Model.History().HistoryCount() < 2) {
    state.SkipWithError("the drag did not edit the table");
  }
}
BENCHMARK(TableDragEdit)->Unit(benchmark::kMillisecond);

void TableChartRedraw(benchmark::State& state) {
  ChartedTable table;
  for (auto _ : state) {
    table.Model.Redraw();
    table.Chart.replot();
  }
}
BENCHMARK(TableChartRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvel::ui
