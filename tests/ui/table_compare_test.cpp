#include <QAction>
#include <QLineEdit>
#include <string>

#include "find_by_name.h"
#include "table_page_fixture.h"
#include "ui/pages/compare_page.h"

namespace orvel::ui::test {
namespace {

class TableCompareTest : public TablePageTest {
 protected:
  TableCompareTest()
      : Page(Window.Comparison()),
        Chart(Find<TableChart>(Page, "ChartCompare")),
        Model(Window.CompareTable()) {
    Prepare(Window.TableInnerPages(), 1, Chart);
  }

  // A table file whose outputs rise from `start` and whose IATCorr entry 0 is `iat`.
  std::filesystem::path RampFile(const std::string& name, int start, int iat) {
    std::vector<std::uint8_t> bytes(392, 0);
    for (int i = 0; i < 256; ++i) {
      bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::min(255, start + i));
    }
    for (const auto& [entry, value] :
         {std::pair{256, 20}, {257, 30}, {258, 192}, {259, 32}, {260, 64}, {261, 96}, {262, 128}}) {
      bytes[static_cast<std::size_t>(entry)] = static_cast<std::uint8_t>(value);
    }
    bytes[264] = static_cast<std::uint8_t>(iat);
    return WriteTableFile(name, bytes);
  }

  // The field of `stem` ("MafTime", …) in row 1 ("Tab#1") or 2 ("Tab#2").
  QLineEdit& Field(int row, const char* stem) {
    const std::string name = "MaskEdit" + std::string(stem) + std::to_string(row) + "Compare";
    return Find<QLineEdit>(Page, name.c_str());
  }
  // The row's texts in the panel's field order (SmoothTps, SmoothMaf, …, TpsThreshold).
  QStringList Row(int row) {
    QStringList texts;
    for (const char* stem :
         {"Tps", "Maf", "Rpm", "MafTime", "Treshold", "Enrichment", "Enleanment", "TpsThreshold"}) {
      texts.append(Field(row, stem).text());
    }
    return texts;
  }
  void Trigger(const char* action) { Find<QAction>(Page, action).trigger(); }
  static std::vector<double> Values(const QCPGraph* graph) {
    std::vector<double> values;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
      values.push_back(it->value);
    }
    return values;
  }

  ComparePage& Page;
  TableChart& Chart;
  Table& Model;
};

const QStringList kDefaultRow{"100", "100", "100", "4", "5", "0", "50", "255"};

TEST_F(TableCompareTest, BindingGivesSevenLegendButtonsWithTrainedHidden) {
  const auto& buttons = Chart.LegendButtons();
  ASSERT_EQ(buttons.size(), 7U);
  const QStringList captions{"Tab1", "IATCorr", "ECTCorr", "Trained", "Tab2", "IATCorr2", "ECTCorr2"};
  const std::array<int, 7> tops{8, 41, 74, 107, 107, 140, 173};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(buttons[i]->text(), captions[static_cast<int>(i)]);
    EXPECT_EQ(buttons[i]->geometry(), QRect(Chart.width() - 78, tops[i], 70, 25)) << i;
    EXPECT_EQ(buttons[i]->isVisible(), i != 3) << i;
  }
  EXPECT_TRUE(buttons[0]->isChecked());
  EXPECT_FALSE(Chart.Series(3)->visible());
  ASSERT_EQ(Chart.SeriesCount(), 9);
  EXPECT_EQ(Chart.Series(4)->name(), QStringLiteral("Tab2"));
  EXPECT_EQ(Chart.Series(4)->pen().color(), QColor(0x80, 0x00, 0x00));
  EXPECT_EQ(Chart.Series(7)->name(), QStringLiteral("MaxMaf"));
  EXPECT_EQ(Row(1), kDefaultRow);
  EXPECT_EQ(Row(2), kDefaultRow);
  EXPECT_TRUE(Field(2, "Maf").isVisible());
  EXPECT_EQ(Model.Tab2()[TableBlock::kSmoothMaf], 128);
}

TEST_F(TableCompareTest, LoadingTab2ChangesOnlyItsSeriesAndRow) {
  Dialogs->Answer(RampFile("b.tab", 10, 250));
  Trigger("FileOpenCompare2");
  ASSERT_TRUE(Messages.Texts.empty());
  EXPECT_EQ(Dialogs->Requests.back().Filter, QStringLiteral("Tab File|*.tab"));
  for (int series : {0, 1, 2}) {
    for (double value : Values(Chart.Series(series))) {
      ASSERT_EQ(value, 0) << series;
    }
  }
  EXPECT_EQ(Values(Chart.Series(4))[0], 10);
  EXPECT_EQ(Values(Chart.Series(4))[255], 255);
  EXPECT_EQ(Values(Chart.Series(5))[0], -6);
  EXPECT_EQ(Row(1), kDefaultRow);
  EXPECT_EQ(Row(2), (QStringList{"75", "50", "100", "20", "30", "50", "25", "0"}));
}

TEST_F(TableCompareTest, SavingTab2WritesItsRowWithTheThresholdAt255) {
  Dialogs->Answer(RampFile("b.tab", 10, 0));
  Trigger("FileOpenCompare2");
  Field(2, "MafTime").setText(QStringLiteral("33"));
  Field(2, "Enrichment").setText(QStringLiteral("13"));
  Field(2, "TpsThreshold").setText(QStringLiteral("100"));
  Field(1, "MafTime").setText(QStringLiteral("99"));
  Dialogs->Answer(Folder.Path() / "second");
  Trigger("FileSaveAsCompare2");
  EXPECT_EQ(Dialogs->Requests.back().Filter, QStringLiteral("Tab File|*.tab"));
  const auto bytes = ReadBytes(Folder.Path() / "second.tab");
  ASSERT_EQ(bytes.size(), 392U);
  EXPECT_EQ(bytes[0], 10);
  EXPECT_EQ(bytes[256], 33);
  EXPECT_EQ(bytes[258], 145);
  EXPECT_EQ(bytes[263], 255);

  Dialogs->Answer(Folder.Path() / "first.tab");
  Trigger("FileSaveAsCompare1");
  EXPECT_EQ(Dialogs->Requests.back().Filter, QStringLiteral("Tab Files|*.tab"));
  const auto first = ReadBytes(Folder.Path() / "first.tab");
  ASSERT_EQ(first.size(), 392U);
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(first[256], 99);
}

TEST_F(TableCompareTest, EditingTheSecondTablesCurves) {
  QTest::mouseClick(Chart.LegendButtons()[5], Qt::LeftButton);
  EXPECT_EQ(Model.SelectedSeries(), EditSeries::IATCorr2);
  DoubleClick(Chart, At(Chart, 64, 9));
  EXPECT_EQ(Model.Tab2()[280], 9);
  EXPECT_EQ(Model.Tab1()[280], 0);
  EXPECT_EQ(Chart.Hint()->text(), QStringLiteral("IAT=64  IATCorr=9"));

  // Tab2 by drag from its curve, with Shift: anchors in Anchors2 and the
  // points between them filled.
  QTest::mouseClick(Chart.LegendButtons()[4], Qt::LeftButton);
  QTest::keyPress(Window.windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
  DoubleClick(Chart, At(Chart, 100, 40), Qt::ShiftModifier);
  DoubleClick(Chart, At(Chart, 110, 60), Qt::ShiftModifier);
  QTest::keyRelease(Window.windowHandle(), Qt::Key_Shift);
  EXPECT_EQ(Model.Anchors2()[100], 255);
  EXPECT_EQ(Model.Tab2()[105], 50);
  EXPECT_EQ(Model.Anchors1()[100], 0);
  Drag(Chart, {At(Chart, 120, 0), At(Chart, 121, 77)});
  EXPECT_EQ(Model.Tab2()[121], 77);
  EXPECT_EQ(Model.Anchors2()[100], 0);  // a plain edit forgets the anchors
  EXPECT_EQ(Model.GetOut(121), 0);
}

TEST_F(TableCompareTest, OneFileInBothTablesDrawsTheCurvesOnTopOfEachOther) {
  const auto path = RampFile("same.tab", 3, 5);
  Dialogs->Answer(path);
  Trigger("FileOpenCompare1");
  Dialogs->Answer(path);
  Trigger("FileOpenCompare2");
  EXPECT_EQ(Values(Chart.Series(0)), Values(Chart.Series(4)));
  EXPECT_EQ(Values(Chart.Series(1)), Values(Chart.Series(5)));
  EXPECT_EQ(Values(Chart.Series(2)), Values(Chart.Series(6)));
  EXPECT_EQ(Row(1), Row(2));
}

}  // namespace
}  // namespace orvel::ui::test
