#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <fstream>
#include <vector>

#include "core/ui_texts.h"
#include "core/user_messages.h"
#include "scripted_file_dialogs.h"
#include "support/temp_dir.h"
#include "table/table.h"
#include "ui/charts/table_chart.h"
#include "ui/main_window.h"
#include "ui/window/modifier_latches.h"

namespace orvel::ui::test {

// The window with scripted file dialogs, shown offscreen on its table page so
// the charts have their real size; helpers put the pointer on data points.
class TablePageTest : public ::testing::Test {
 protected:
  TablePageTest() : Dialogs(std::make_shared<ScriptedFileDialogs>()), Window(Messages, Services()) {
    Window.MainPageControl().setCurrentIndex(TForm1::kTablePage);
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
  }

  MainWindowServices Services() {
    MainWindowServices services = DefaultMainWindowServices();
    services.WorkingFolder = Folder.Path();
    services.ListPorts = [] { return std::vector<std::string>{}; };
    services.Dialogs = Dialogs;
    return services;
  }

  // Shows the inner page of `chart` and lays the chart out.
  static void Prepare(QTabWidget& pages, int index, TableChart& chart) {
    pages.setCurrentIndex(index);
    QApplication::processEvents();
    chart.replot();
  }

  // The pixel of data x on the chart (rounded to a whole pixel).
  static int Px(const TableChart& chart, double x) {
    return static_cast<int>(std::lround(chart.Area().XToPixel(x)));
  }
  static int Py(const TableChart& chart, double y) {
    return static_cast<int>(std::lround(chart.Area().YToPixel(y)));
  }
  static QPoint At(const TableChart& chart, double x, double y) { return {Px(chart, x), Py(chart, y)}; }

  static void DoubleClick(TableChart& chart, QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseDClick(&chart, Qt::LeftButton, modifiers, point);
  }

  // A drag of the given button from the first point through the others.
  static void Drag(TableChart& chart, const std::vector<QPoint>& points,
                   Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(&chart, button, Qt::NoModifier, points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
      QMouseEvent move(QEvent::MouseMove, points[i], chart.mapToGlobal(points[i]), Qt::NoButton, button,
                       Qt::NoModifier);
      QApplication::sendEvent(&chart, &move);
    }
    QTest::mouseRelease(&chart, button, Qt::NoModifier, points.back());
  }

  std::filesystem::path WriteTableFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = Folder.Path() / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  static std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  orvel::test::TempDir Folder;
  RecordedMessages Messages;
  std::shared_ptr<ScriptedFileDialogs> Dialogs;
  TForm1 Window;
};

}  // namespace orvel::ui::test
