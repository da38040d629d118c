// The dashboard's sound cues, driven through the window's bus: the cue of a
// state colour from the language's folder, a cue dropped while one still
// sounds, silence with manual borders; the sensor list and the reference
// slider. A tick's gauges and labels: dashboard_tick_test.cpp.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "autotune/correction_decision.h"
#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "core/orvel_broadcaster.h"
#include "dashboard_rig.h"
#include "ui/charts/dashboard_chart.h"
#include "ui/pages/dashboard_page.h"

namespace orvel::ui::test {
namespace {

TMsgCorrAdvice Advice(TColorRgb color) {
  TMsgCorrAdvice advice;
  advice.MafBeg = 60;
  advice.MafEnd = 64;
  advice.StateColor = color;
  return advice;
}

class DashboardCuesTest : public ::testing::Test {
 protected:
  DashboardCuesTest() : Window(Messages, DashboardServices(Folder, Cues)) {}

  void Language(int position) {
    auto& language = Find<QComboBox>(Window.ConnectionPage(), "ComboBoxLanguage");
    language.setCurrentIndex(position);
    emit language.activated(position);
  }

  [[nodiscard]] QColor ChartStateColor() {
    return Find<DashboardChart>(Window.Dashboard(), "DashboardChart").StateColor();
  }

  orvel::test::TempDir Folder;
  CueRecord Cues;
  RecordedMessages Messages;
  TForm1 Window;
};

TEST_F(DashboardCuesTest, EachStateColourPlaysItsFileFromTheLanguagesFolder) {
  struct Case {
    TColorRgb Color;
    const char* File;  // nullptr: no sound
  };
  const Case cases[] = {
      {kPulsationsColor, "puls.wav"}, {kCorrectingColor, "corr.wav"},       {kTrainingColor, "training.wav"},
      {kReadyColor, "ready.wav"},     {kForcedIdleColor, "forcedidle.wav"}, {kIdleColor, nullptr},
      {Rgb(1, 2, 3), nullptr}};
  for (const Case& c : cases) {
    Cues.Played.clear();
    Window.Bus().Broadcast(Advice(c.Color));
    if (c.File == nullptr) {
      EXPECT_TRUE(Cues.Played.empty()) << std::hex << c.Color;
    } else {
      ASSERT_EQ(Cues.Played.size(), 1U) << c.File;
      EXPECT_EQ(Cues.Played[0], std::string("Sound/En/") + c.File);
    }
    EXPECT_EQ(ChartStateColor().rgb() & 0xFFFFFFU, c.Color) << "the background follows";
  }
  // The advice moved the window.
  EXPECT_EQ(Window.CorrectionWindow().MafBeg(), 60);
  EXPECT_EQ(Window.CorrectionWindow().MafEnd(), 64);

  Language(0);
  Cues.Played.clear();
  Window.Bus().Broadcast(Advice(kCorrectingColor));
  ASSERT_EQ(Cues.Played.size(), 1U);
  EXPECT_EQ(Cues.Played[0], "Sound/Ru/corr.wav");
}

TEST_F(DashboardCuesTest, ACueWhileOneSoundsIsDroppedAndManualBordersAreSilent) {
  Window.Bus().Broadcast(Advice(kCorrectingColor));
  Cues.Sounding = true;
  Window.Bus().Broadcast(Advice(kTrainingColor));
  EXPECT_EQ(Cues.Played, std::vector<std::string>{"Sound/En/corr.wav"});
  EXPECT_EQ(ChartStateColor(), QColor(0x00, 0xFF, 0x00)) << "the colour still changes";

  Cues.Sounding = false;
  Find<QPushButton>(Window.Dashboard(), "SpeedButtonManualBorders").click();
  ASSERT_TRUE(Window.CorrectionWindow().ManualBorders());
  for (const TColorRgb color : {kPulsationsColor, kReadyColor, kForcedIdleColor}) {
    Window.Bus().Broadcast(Advice(color));
  }
  EXPECT_EQ(Cues.Played.size(), 1U);
}

TEST_F(DashboardCuesTest, TheSensorListAndReferenceSliderFollowTheSensorType) {
  DashboardPage& page = Window.Dashboard();
  auto& sensors = Find<QComboBox>(page, "ComboBoxO2");
  auto& reference = Find<QSlider>(page, "TrackBarRefO2");
  ASSERT_EQ(sensors.count(), 5);
  EXPECT_EQ(sensors.itemText(1), QStringLiteral("Innovate MTX-L"));
  struct Case {
    int Type;
    int Max;
    int Value;
    const char* Text;
    const char* Percent;
  };
  for (const Case c :
       {Case{0, 51, 26, "0.51V", " "}, Case{1, 255, 147, "14.7", "0%"}, Case{2, 255, 128, "2.5V", " "}}) {
    emit sensors.activated(c.Type);
    EXPECT_EQ(reference.maximum(), c.Max) << c.Type;
    EXPECT_EQ(reference.value(), c.Value) << c.Type;
    EXPECT_EQ(Window.CorrectionWindow().O2Ref(), c.Value) << c.Type;
    EXPECT_EQ(Find<QLabel>(page, "LabelRefO2").text(), QString::fromUtf8(c.Text)) << c.Type;
    EXPECT_EQ(Find<QLabel>(page, "LabelRefO2Percent").text(), QString::fromUtf8(c.Percent)) << c.Type;
  }
  // Moving the slider up raises the reference.
  reference.setValue(140);
  EXPECT_EQ(Window.CorrectionWindow().O2Ref(), 140);
  EXPECT_EQ(Window.O2Reference().RefO2().Position, 255 - 140);
}

}  // namespace
}  // namespace orvel::ui::test
