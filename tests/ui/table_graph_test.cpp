#include <sys/stat.h>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include <array>
#include <string>

#include "autotune/correction_window.h"
#include "find_by_name.h"
#include "table_page_fixture.h"
#include "ui/pages/table_graph_page.h"

namespace orvel::ui::test {
namespace {

class TableGraphTest : public TablePageTest {
 protected:
  TableGraphTest()
      : Page(Window.TableGraph()),
        Chart(Find<TableChart>(Page, "ChartTableGraph")),
        Model(Window.MainTable()) {
    Prepare(Window.TableInnerPages(), 0, Chart);
  }

  template <typename T>
  T& OnPage(const std::string& name) {
    return Find<T>(Page, name.c_str());
  }
  // The sliders in F-key order (F1…F7), their value labels and selection labels.
  QSlider& Slider(std::size_t i) { return OnPage<QSlider>(kSliders[i]); }
  QLabel& ValueLabel(std::size_t i) { return OnPage<QLabel>(std::string(kSliders[i]) + "Value"); }
  QLabel& SelectionLabel(std::size_t i) { return OnPage<QLabel>("LabelTableF" + std::to_string(i + 1)); }
  // A hidden parameter field by its name.
  QLineEdit& Field(const char* name) { return OnPage<QLineEdit>(name); }

  static constexpr std::array<const char*, 7> kSliders{
      "TrackBarMafSm",    "TrackBarTpsSm",      "TrackBarRpmSm",     "TrackBarMafTime",
      "TrackBarMafPorog", "TrackBarEnrichment", "TrackBarEnleanment"};

  void Select(int legendButton) {
    QTest::mouseClick(Chart.LegendButtons()[static_cast<std::size_t>(legendButton)], Qt::LeftButton);
  }

  TableGraphPage& Page;
  TableChart& Chart;
  Table& Model;
};

TEST_F(TableGraphTest, BindingShowsTheTableWithFourLegendButtonsAndDefaultSliders) {
  const auto& buttons = Chart.LegendButtons();
  ASSERT_EQ(buttons.size(), 4U);
  const QStringList captions{"Tab1", "IATCorr", "ECTCorr", "Trained"};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(buttons[i]->text(), captions[static_cast<int>(i)]);
    EXPECT_EQ(buttons[i]->geometry(), QRect(Chart.width() - 78, 8 + 33 * static_cast<int>(i), 70, 25)) << i;
    EXPECT_TRUE(buttons[i]->isVisible()) << i;
  }
  EXPECT_TRUE(buttons[0]->isChecked());
  EXPECT_EQ(Model.SelectedSeries(), EditSeries::Tab1);
  EXPECT_EQ(Chart.SeriesCount(), 6);
  EXPECT_EQ(Chart.Series(0)->data()->size(), 256);
  EXPECT_EQ(Chart.Series(1)->data()->size(), 64);
  EXPECT_EQ(Chart.Series(4)->name(), QStringLiteral("MaxMaf"));
  EXPECT_EQ(Model.History().HistoryCount(), 1U);  // the binding's snapshot

  const std::array<int, 7> positions{100, 100, 100, 4, 5, 0, 50};
  const QString comma = QLocale().decimalPoint();
  const QStringList labels{"100", "100", "100", "0" + comma + "04s", "5", "+0%", "-50%"};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(Slider(i).value(), positions[i]) << i;
    EXPECT_EQ(ValueLabel(i).text(), labels[static_cast<int>(i)]) << i;
  }
  EXPECT_EQ(Field("MaskEditTpsThreshold").text(), QStringLiteral("255"));
  EXPECT_TRUE(Field("MaskEditSmoothMaf").isHidden());
  EXPECT_TRUE(SelectionLabel(0).font().bold());
  EXPECT_FALSE(SelectionLabel(1).font().bold());
}

TEST_F(TableGraphTest, DoubleClickSnapsThePointerToTheNearestPoint) {
  // Just left of the midpoint between 10 and 11, at it, and beyond 255 on the axis.
  const int beforeMiddle = static_cast<int>(std::floor(Chart.Area().XToPixel(10.5) - 0.01));
  const int atMiddle = static_cast<int>(std::ceil(Chart.Area().XToPixel(10.5)));
  ASSERT_GE(Chart.Area().PixelToX(beforeMiddle), 10.25);
  struct Case {
    int Pixel;
    int Point;
    int Value;
  };
  for (const Case c : {Case{beforeMiddle, 10, 40}, Case{atMiddle, 11, 60}, Case{Px(Chart, 280), 255, 80}}) {
    DoubleClick(Chart, QPoint(c.Pixel, Py(Chart, c.Value)));
    EXPECT_EQ(Model.GetOut(c.Point), c.Value) << c.Point;
    EXPECT_EQ(Chart.Series(0)->data()->at(c.Point)->value, c.Value) << c.Point;
    EXPECT_EQ(Chart.Hint()->text(), QStringLiteral("MAF=%1  OUT=%2").arg(c.Point).arg(c.Value));
  }
  EXPECT_EQ(Model.GetOut(12), 0);
}

TEST_F(TableGraphTest, DoubleClickOutsideThePlotChangesNothing) {
  const auto before = Model.Tab1();
  const auto snapshots = Model.History().HistoryCount();
  const QPoint outside(Px(Chart, 10), static_cast<int>(Chart.Area().Bottom) + 20);
  DoubleClick(Chart, outside);
  DoubleClick(Chart, QPoint(2, 2));
  EXPECT_EQ(Model.Tab1(), before);
  EXPECT_EQ(Model.History().HistoryCount(), snapshots);
}

TEST_F(TableGraphTest, CorrectionEditChangesItsEntryAndIsHeldToThirty) {
  Select(1);
  EXPECT_EQ(Model.SelectedSeries(), EditSeries::IATCorr);
  // Zoomed out so that −45 lies inside the plot.
  Chart.yAxis->setRange(-60, 300);
  Chart.replot();
  DoubleClick(Chart, At(Chart, 130, -45));
  EXPECT_EQ(Model.Tab1()[TableBlock::kIatCorr + 32], -30);
  EXPECT_EQ(Chart.Series(1)->data()->at(32)->value, -30);
  EXPECT_EQ(Chart.Hint()->text(), QStringLiteral("IAT=128  IATCorr=-30"));
  EXPECT_EQ(Model.GetOut(130), 0);

  Select(2);
  DoubleClick(Chart, At(Chart, 20, 7));
  EXPECT_EQ(Model.Tab1()[TableBlock::kEctCorr + 5], 7);
  EXPECT_EQ(Chart.Hint()->text(), QStringLiteral("ECT=20  ECTCorr=7"));
}

TEST_F(TableGraphTest, DragFromTheCurveDrawsItPointByPoint) {
  const auto snapshots = Model.History().HistoryCount();
  // The curve lies at 0; the press grabs it, the moves draw a ramp.
  Drag(Chart, {At(Chart, 40, 0), At(Chart, 41, 100), At(Chart, 42, 120), At(Chart, 43, 140)});
  EXPECT_EQ(Model.GetOut(41), 100);
  EXPECT_EQ(Model.GetOut(42), 120);
  EXPECT_EQ(Model.GetOut(43), 140);
  EXPECT_EQ(Model.History().HistoryCount(), snapshots + 3);
  EXPECT_TRUE(Chart.Hint()->isHidden());  // released

  // A press away from the curve zooms instead of drawing.
  Drag(Chart, {At(Chart, 60, 150), At(Chart, 61, 160), At(Chart, 100, 100)});
  EXPECT_EQ(Model.GetOut(61), 0);
  EXPECT_NEAR(Chart.xAxis->range().lower, 60, 1);
  EXPECT_NEAR(Chart.xAxis->range().upper, 100, 1);
  // Dragging the other way undoes the zoom.
  Drag(Chart, {At(Chart, 90, 120), At(Chart, 70, 110)});
  EXPECT_EQ(Chart.xAxis->range(), QCPRange(0, 300));
  EXPECT_EQ(Chart.yAxis->range(), QCPRange(-30, 300));
}

TEST_F(TableGraphTest, ZoomMoveButtonSwapsTheEditingMouseButton) {
  QTest::mouseClick(Chart.ButtonZoomMove, Qt::LeftButton);
  EXPECT_EQ(Chart.ButtonZoomMove->text(), QStringLiteral("←/→"));
  Drag(Chart, {At(Chart, 30, 0), At(Chart, 30, 90)}, Qt::LeftButton);
  EXPECT_EQ(Model.GetOut(30), 0);  // the left button now pans
  Chart.UndoZoom();
  Chart.replot();
  Drag(Chart, {At(Chart, 30, 0), At(Chart, 30, 90)}, Qt::RightButton);
  EXPECT_EQ(Model.GetOut(30), 90);
  QTest::mouseClick(Chart.ButtonZoomMove, Qt::LeftButton);
  EXPECT_EQ(Chart.ButtonZoomMove->text(), QStringLiteral("+/-"));
}

TEST_F(TableGraphTest, ShiftLatchMakesAnchorsLikeTheShiftKey) {
  // Latched: two edits anchor their points and interpolate between them.
  auto& shift = OnPage<QToolButton>("SpeedButtonShift");
  QTest::mouseClick(&shift, Qt::LeftButton);
  ASSERT_TRUE(shift.isChecked());
  DoubleClick(Chart, At(Chart, 20, 40));
  DoubleClick(Chart, At(Chart, 30, 60));
  EXPECT_EQ(Model.Anchors1()[20], 255);
  EXPECT_EQ(Model.Anchors1()[30], 255);
  EXPECT_EQ(Model.GetOut(25), 50);
  const auto latched = Model.Tab1();

  // A page change by mouse releases the latch: a plain edit forgets the anchors.
  Window.Latches().ReleaseAll();
  EXPECT_FALSE(shift.isChecked());
  DoubleClick(Chart, At(Chart, 30, 60));
  EXPECT_EQ(Model.Anchors1()[20], 0);

  // The key held on the keyboard does the same as the latch.
  Model.Tab1() = TableBlock{};
  QTest::keyPress(Window.windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
  DoubleClick(Chart, At(Chart, 20, 40), Qt::ShiftModifier);
  DoubleClick(Chart, At(Chart, 30, 60), Qt::ShiftModifier);
  QTest::keyRelease(Window.windowHandle(), Qt::Key_Shift);
  EXPECT_EQ(Model.Anchors1()[20], 255);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(Model.GetOut(i), latched[static_cast<std::size_t>(i)]) << i;
  }
}

TEST_F(TableGraphTest, CtrlLatchExtendsTheLineOverTheTable) {
  auto& ctrl = OnPage<QToolButton>("SpeedButtonCtrl");
  QTest::mouseClick(&OnPage<QToolButton>("SpeedButtonShift"), Qt::LeftButton);
  QTest::mouseClick(&ctrl, Qt::LeftButton);
  DoubleClick(Chart, At(Chart, 100, 50));
  EXPECT_EQ(Model.GetOut(255), 128);
  Window.Latches().ReleaseAll();
  EXPECT_FALSE(ctrl.isChecked());
}

TEST_F(TableGraphTest, HiddenAltLatchDrawsWithoutGrabbingTheCurve) {
  auto& alt = OnPage<QToolButton>("SpeedButtonAlt");
  EXPECT_TRUE(alt.isHidden());
  alt.setChecked(true);
  Drag(Chart, {At(Chart, 70, 200), At(Chart, 71, 180)});
  EXPECT_EQ(Model.GetOut(71), 180);
  EXPECT_EQ(Chart.xAxis->range(), QCPRange(0, 300));  // no zoom while Alt is held
  Window.Latches().ReleaseAll();
  EXPECT_FALSE(Chart.AltLatched);
}

TEST_F(TableGraphTest, LegendButtonsShowOnlyNearTheCorner) {
  QMouseEvent left(QEvent::MouseMove, QPointF(100, 20), Chart.mapToGlobal(QPointF(100, 20)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&Chart, &left);
  EXPECT_FALSE(Chart.LegendButtons()[0]->isVisible());
  const QPoint corner(Chart.width() - 20, 5);
  QMouseEvent near(QEvent::MouseMove, corner, Chart.mapToGlobal(corner), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&Chart, &near);
  EXPECT_TRUE(Chart.LegendButtons()[0]->isVisible());
  EXPECT_TRUE(Chart.LegendButtons()[3]->isVisible());
}

TEST_F(TableGraphTest, PointerOverAPointShowsItsHint) {
  Model.Tab1()[50] = 200;
  Model.Redraw();
  Chart.replot();
  const QPoint over = At(Chart, 50, 200);
  QMouseEvent move(QEvent::MouseMove, over, Chart.mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&Chart, &move);
  EXPECT_FALSE(Chart.Hint()->isHidden());
  EXPECT_EQ(Chart.Hint()->text(), QStringLiteral("MAF=50  OUT=200"));
  EXPECT_EQ(Chart.Hint()->pos(), over - QPoint(50, 50));
  const QPoint empty = At(Chart, 50, 100);
  QMouseEvent away(QEvent::MouseMove, empty, Chart.mapToGlobal(empty), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&Chart, &away);
  EXPECT_TRUE(Chart.Hint()->isHidden());
}

TEST_F(TableGraphTest, SlidersAndHiddenFieldsFollowEachOther) {
  OnPage<QSlider>("TrackBarMafTime").setValue(12);
  EXPECT_EQ(Field("MaskEditMafTime").text(), QStringLiteral("12"));
  EXPECT_EQ(ValueLabel(3).text(), "0" + QLocale().decimalPoint() + "12s");
  OnPage<QSlider>("TrackBarEnrichment").setValue(13);
  Model.TakeParameters(1);
  EXPECT_EQ(Model.Tab1()[TableBlock::kEnrichment], 145);  // 128 + 17

  Model.Tab1()[TableBlock::kSmoothMaf] = 16;
  Model.Tab1()[TableBlock::kEnrichment] = 0;  // −100 %: the slider stops at 0
  Model.ShowParameters(1);
  EXPECT_EQ(OnPage<QSlider>("TrackBarMafSm").value(), 12);
  EXPECT_EQ(ValueLabel(0).text(), QStringLiteral("12"));
  EXPECT_EQ(OnPage<QSlider>("TrackBarEnrichment").value(), 0);
  EXPECT_EQ(Field("MaskEditEnrichmentFactor").text(), QStringLiteral("-100"));
}

TEST_F(TableGraphTest, OpenEditUndoRedoSaveRoundTripsThroughATableFile) {
  std::vector<std::uint8_t> bytes(392, 0);
  for (int i = 0; i < 256; ++i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  }
  // Parameters: MafTime 10, Threshold 5, Enrichment 13 %, Enleanment 50 %, smoothing 100 %.
  for (const auto& [entry, value] :
       {std::pair{256, 10}, {257, 5}, {258, 145}, {259, 64}, {260, 128}, {261, 128}, {262, 128}}) {
    bytes[static_cast<std::size_t>(entry)] = static_cast<std::uint8_t>(value);
  }
  bytes[264] = 226;  // IATCorr −30
  const auto source = WriteTableFile("source.tab", bytes);
  Dialogs->Answer(source);
  OnPage<QAction>("TabFileOpen").trigger();
  ASSERT_TRUE(Messages.Texts.empty());
  EXPECT_EQ(Dialogs->Requests.back().Filter, QStringLiteral("Tab files|*.tab"));
  EXPECT_EQ(Dialogs->Requests.back().DefaultSuffix, QStringLiteral("tab"));
  EXPECT_EQ(Model.GetOut(200), 200);
  EXPECT_EQ(OnPage<QSlider>("TrackBarMafTime").value(), 10);
  EXPECT_EQ(OnPage<QSlider>("TrackBarEnrichment").value(), 13);
  EXPECT_EQ(Chart.Series(1)->data()->at(0)->value, -30);

  Drag(Chart, {At(Chart, 100, 100), At(Chart, 101, 30), At(Chart, 102, 30)});
  ASSERT_EQ(Model.GetOut(101), 30);
  auto& undo = OnPage<QToolButton>("SpeedButtonUndo");
  QTest::mouseClick(&undo, Qt::LeftButton);
  EXPECT_EQ(Model.GetOut(101), 30);
  EXPECT_EQ(Model.GetOut(102), 102);
  QTest::mouseClick(&undo, Qt::LeftButton);
  EXPECT_EQ(Model.GetOut(101), 101);
  EXPECT_EQ(Chart.Series(0)->data()->at(101)->value, 101);
  QTest::mouseClick(&OnPage<QToolButton>("SpeedButtonRedo"), Qt::LeftButton);
  EXPECT_EQ(Model.GetOut(101), 30);
  EXPECT_EQ(Chart.Series(0)->data()->at(101)->value, 30);

  Dialogs->Answer(Folder.Path() / "edited");
  OnPage<QAction>("TabFileSave").trigger();
  const FileDialogRequest& save = Dialogs->Requests.back();
  EXPECT_EQ(save.Filter, QStringLiteral("Tab Files|*.tab"));
  EXPECT_TRUE(save.ProposedName.startsWith('D')) << save.ProposedName.toStdString();
  std::vector<std::uint8_t> expected = bytes;
  expected[101] = 30;
  // Redo brought back the first drawn point only.
  expected[263] = 255;
  const auto written = ReadBytes(Folder.Path() / "edited.tab");
  ASSERT_EQ(written.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(written[i], expected[i]) << "byte " << i;
  }
}

TEST_F(TableGraphTest, CancelledOrFailedOpenLeavesTheTableAsItWas) {
  DoubleClick(Chart, At(Chart, 5, 77));
  const auto before = Model.Tab1();
  const auto snapshots = Model.History().HistoryCount();
  auto& open = OnPage<QAction>("TabFileOpen");
  Dialogs->Answer(std::nullopt);
  open.trigger();
  Dialogs->Answer(Folder.Path() / "missing.tab");
  open.trigger();
  // A FIFO picked in the dialog is refused at once: nothing waits for a writer.
  const auto fifo = Folder.Path() / "fifo.tab";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Dialogs->Answer(fifo);
  open.trigger();
  EXPECT_EQ(Messages.Texts, (std::vector<std::string>{
                                (Folder.Path() / "missing.tab").string() +
                                    " Tab file load error: cannot open: No such file or directory",
                                fifo.string() + " Tab file load error: is a FIFO, not a regular file"}));
  std::filesystem::remove(fifo);
  Dialogs->Answer(std::nullopt);
  OnPage<QAction>("TabFileSave").trigger();
  EXPECT_EQ(Model.Tab1(), before);
  EXPECT_EQ(Model.History().HistoryCount(), snapshots);
  EXPECT_FALSE(std::filesystem::exists(Folder.Path() / "missing.tab"));
}

TEST_F(TableGraphTest, OneToOneResetsTheTableAndTheWindowsLearnedBeginning) {
  Model.SetLearnedBegin(30);
  Window.CorrectionWindow().SetLearnedBegin(30);
  Window.CorrectionWindow().SetMafBeg(40);
  auto& mafSmoothing = OnPage<QSlider>("TrackBarMafSm");
  mafSmoothing.setValue(20);
  OnPage<QAction>("ActionTableOneToOne").trigger();
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(Model.GetOut(i), i);
  }
  EXPECT_EQ(mafSmoothing.value(), 100);
  EXPECT_EQ(Window.CorrectionWindow().LearnedBegin(), 0);
  EXPECT_EQ(Window.CorrectionWindow().MafBeg(), 0);
  EXPECT_EQ(Model.LearnedBegin(), 30);
}

TEST_F(TableGraphTest, LanguageSwitchRewritesTheCaptionsAndTheAxisTitle) {
  Window.ApplyLanguage(orvel::kLanguageRussian);
  EXPECT_EQ(OnPage<QAction>("TabFileOpen").text(), QStringLiteral("Открыть"));
  EXPECT_EQ(Chart.yAxis->label(), QStringLiteral("Выход конв., IAT и ECT коррекции"));
  EXPECT_EQ(OnPage<QLabel>("LabelSmooth").text(), QStringLiteral("Сглаживание"));
  Window.ApplyLanguage(orvel::kLanguageEnglish);
  EXPECT_EQ(OnPage<QAction>("ActionTableOneToOne").text(), QStringLiteral("1:1 Table"));
  EXPECT_EQ(Chart.yAxis->label(), QStringLiteral("Converter OUT, IAT and ECT Corrs"));
  EXPECT_EQ(Chart.xAxis->label(), QStringLiteral("MAF,IAT,ECT"));
  EXPECT_EQ(OnPage<QLabel>("LabelSmooth").text(), QStringLiteral("Smoothing"));
}

}  // namespace
}  // namespace orvel::ui::test
