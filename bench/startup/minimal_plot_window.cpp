// The yardstick of the start-up benchmark: a bare Qt window holding one
// QCustomPlot with one small graph, started and painted the same way as the
// program (it writes the time of its first paint where
// ORVEL_FIRST_PAINT_FILE says, and closes with ORVEL_QUIT_AFTER_FIRST_PAINT=1).

#include <qcustomplot.h>

#include <QApplication>
#include <QMainWindow>
#include <QVector>

#include "ui/window/first_paint_probe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  auto* plot = new QCustomPlot(&window);
  QVector<double> x(256);
  QVector<double> y(256);
  for (int i = 0; i < 256; ++i) {
    x[i] = i;
    y[i] = i;
  }
  plot->addGraph()->setData(x, y, true);
  plot->xAxis->setRange(0, 255);
  plot->yAxis->setRange(0, 255);
  window.setCentralWidget(plot);
  window.resize(1280, 800);
  orvel::ui::FirstPaintProbe::WatchIfRequested(window);
  window.show();
  return QApplication::exec();
}
