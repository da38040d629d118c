// Pictures of the table pages for people to look at: written only when
// ORVEL_SHOT_DIR names a folder, otherwise skipped.

#include "find_by_name.h"
#include "table_page_fixture.h"
#include "ui/pages/compare_page.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui::test {
namespace {

class TableScreenshotTest : public TablePageTest {};

TEST_F(TableScreenshotTest, BothTablePagesInBothLanguages) {
  const QByteArray folder = qgetenv("ORVEL_SHOT_DIR");
  if (folder.isEmpty()) {
    GTEST_SKIP() << "ORVEL_SHOT_DIR not set";
  }
  Window.resize(1280, 800);
  Table& main = Window.MainTable();
  for (int i = 0; i < 256; ++i) {
    main.Tab1()[static_cast<std::size_t>(i)] = std::min(255, 20 + i * 9 / 10);
    if (i > 60 && i < 120) {
      main.Trained()[static_cast<std::size_t>(i)] = main.GetOut(i);
    }
  }
  for (std::size_t k = 0; k < 64; ++k) {
    main.Tab1()[TableBlock::kIatCorr + k] = static_cast<int>(k / 4) - 8;
    main.Tab1()[TableBlock::kEctCorr + k] = 12 - static_cast<int>(k / 3);
  }
  main.SetMaxMafAnyway(200);
  main.SetMaxMaf(180);
  Table& compare = Window.CompareTable();
  for (int i = 0; i < 256; ++i) {
    compare.Tab1()[static_cast<std::size_t>(i)] = i;
    compare.Tab2()[static_cast<std::size_t>(i)] = std::min(255, i + i * i / 600);
  }
  compare.Redraw();
  for (const int language : {orvel::kLanguageRussian, orvel::kLanguageEnglish}) {
    Window.ApplyLanguage(language);
    for (const int page : {0, 1}) {
      Window.TableInnerPages().setCurrentIndex(page);
      QApplication::processEvents();
      TableChart& chart = page == 0 ? Find<TableChart>(Window.TableGraph(), "ChartTableGraph")
                                    : Find<TableChart>(Window.Comparison(), "ChartCompare");
      chart.replot();
      const QString name = QStringLiteral("%1/table_%2_%3.png")
                               .arg(QString::fromLocal8Bit(folder), page == 0 ? "graph" : "compare",
                                    language == orvel::kLanguageEnglish ? "en" : "ru");
      EXPECT_TRUE(Window.grab().save(name));
    }
  }
}

}  // namespace
}  // namespace orvel::ui::test
