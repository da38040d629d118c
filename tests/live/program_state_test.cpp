#include "live/program_state.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/xrpm_table.h"
#include "support/temp_dir.h"
#include "table/table.h"

namespace orvel {
namespace {

class NoHost final : public CorrectionWindowHost {
 public:
  [[nodiscard]] bool LiveDataRunning() const override { return false; }
  void SetLogCorrValue(std::int32_t /*value*/) override {}
  void SendToConverterRam() override {}
};

// The models the state file reads and writes, as the window creates them,
// and a record of the change handling the restore runs.
struct StateRig {
  StateRig() {
    RefFollow = Reference.RefO2Changed.Subscribe(
        [this] { Calls.push_back("ref " + std::to_string(Reference.RefO2().Position)); });
  }

  ProgramStateModels Models() {
    return ProgramStateModels{
        Correction,
        Reference,
        Scale,
        Window,
        [this](std::int32_t language) { Calls.push_back("language " + std::to_string(language)); },
        [this](std::int32_t sensor) { Calls.push_back("sensor " + std::to_string(sensor)); }};
  }

  TOrvelBroadcaster Bus;
  RecordedMessages Messages;
  LatchedModifiers Keys;
  Table MainTable{Bus, Messages, Keys};
  DecisionSettings Settings;
  NoHost Host;
  O2ReferenceModel Reference;
  CorrectionWindowModel Correction{MainTable, nullptr, Settings, Host, Reference};
  XrpmTable Scale;
  WindowSettings Window;
  std::vector<std::string> Calls;
  Subscription RefFollow;
};

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(StateRig& rig) {
  const ProgramStateBytes bytes = EncodeProgramState(rig.Models());
  return {bytes.begin(), bytes.end()};
}

TEST(ProgramStateTest, AFreshStartWritesTheDefaults) {
  StateRig rig;
  const Bytes expected{0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x18, 0x00,
                       0x00, 0x00, 0x00, 0x03, 0xE8, 0x03, 0xE8, 0x04, 0xB0, 0x00,
                       0x02, 0x00, 0x00, 0x00, 0x0A, 0x03, 0xE8, 0x03, 0xE8};
  EXPECT_EQ(Encode(rig), expected);
}

TEST(ProgramStateTest, EveryFieldSurvivesARoundTripAtItsOffset) {
  StateRig saved;
  saved.Window.Language = 1;
  saved.Window.O2DisplayMode = false;
  saved.Window.TpsDisplayMode = true;
  saved.Window.Spare = 777;
  saved.Window.RememberedB = 400;
  saved.Window.RememberedT = 500;
  saved.Reference.ComboBoxO2Change(2);
  saved.Reference.SetRefO2Position(140);
  saved.Correction.SetToyota(true);
  saved.Correction.SetPulsLimit(33);
  saved.Scale.TpsMin = 30;
  saved.Scale.TpsMax = 230;
  saved.Correction.SetAvgB(101);  // position 900
  saved.Correction.SetAvgT(210);  // position 800
  saved.Correction.SetForcedIdle(1500, 4);
  saved.Correction.SetLearnedBegin(17);
  const Bytes bytes = Encode(saved);
  ASSERT_EQ(bytes.size(), 29U);
  EXPECT_EQ((Bytes{bytes[9], bytes[10], bytes[11], bytes[12]}), (Bytes{0x00, 0x1E, 0x00, 0xE6}));
  EXPECT_EQ((Bytes{bytes[13], bytes[14], bytes[15], bytes[16]}), (Bytes{0x03, 0x84, 0x03, 0x20}));
  EXPECT_EQ(bytes[3], 1);

  StateRig loaded;
  RestoreProgramState(bytes, loaded.Models());
  EXPECT_EQ(Encode(loaded), bytes);
  EXPECT_EQ(loaded.Window.Language, 1);
  EXPECT_TRUE(loaded.Correction.Toyota());
  EXPECT_TRUE(loaded.MainTable.ToyotaMode()) << "the Toyota mode reaches the table";
  EXPECT_EQ(loaded.Correction.SensorType(), 2);
  EXPECT_EQ(loaded.Correction.AvgB(), 101);
  EXPECT_EQ(loaded.Correction.AvgT(), 210);
  EXPECT_EQ(loaded.Correction.LearnedBegin(), 17);
  EXPECT_EQ(loaded.Correction.O2Ref(), loaded.Reference.O2Ref())
      << "the correction window reads the reference";
  EXPECT_EQ(loaded.Settings.O2Ref, loaded.Reference.O2Ref()) << "and hands it to the decision";
}

TEST(ProgramStateTest, ASensorTypeRestoresItsRangeThenTheSavedPositionThenTheLanguage) {
  StateRig rig;
  Bytes bytes = Encode(rig);
  bytes[state_offset::Language] = 1;
  bytes[state_offset::SensorType] = 3;
  bytes[state_offset::RefO2Position] = 0;
  bytes[state_offset::RefO2Position + 1] = 120;
  RestoreProgramState(bytes, rig.Models());
  EXPECT_EQ(rig.Reference.SensorType(), 3);
  EXPECT_EQ(rig.Reference.RefO2().Max, 255);
  EXPECT_EQ(rig.Reference.RefO2().Position, 120);
  EXPECT_EQ(rig.Correction.SensorType(), 3);
  // The sensor's default position (108) comes first, the language follows the
  // sensor change, the saved position comes last.
  ASSERT_GE(rig.Calls.size(), 3U);
  EXPECT_EQ(rig.Calls.front(), "sensor 3");
  const auto language = std::find(rig.Calls.begin(), rig.Calls.end(), "language 1");
  ASSERT_NE(language, rig.Calls.end());
  EXPECT_NE(std::find(rig.Calls.begin(), language, "ref 108"), language);
  EXPECT_EQ(rig.Calls.back(), "ref 120");
}

TEST(ProgramStateTest, ValuesAreHeldToTheirControlsRanges) {
  StateRig rig;
  Bytes bytes = Encode(rig);
  bytes[state_offset::O2DisplayMode] = 0;
  bytes[state_offset::Toyota] = 7;               // any non-zero byte counts as down
  bytes[state_offset::SensorType] = 9;           // no such sensor: the current one stays
  bytes[state_offset::RefO2Position + 1] = 200;  // beyond 0..51 of the first sensor
  bytes[state_offset::Delta + 1] = 0xFF;
  bytes[state_offset::Delta] = 0x01;  // 511: Delta's control stops at 255
  bytes[state_offset::BPosition] = 0;
  bytes[state_offset::BPosition + 1] = 0;  // below 1
  bytes[state_offset::TPosition] = 0xFF;   // above 1000
  RestoreProgramState(bytes, rig.Models());
  EXPECT_EQ(rig.Reference.SensorType(), 0);
  EXPECT_EQ(rig.Reference.RefO2().Position, 51);
  EXPECT_EQ(rig.Correction.PulsLimit(), 255);
  EXPECT_EQ(rig.Correction.AvgB(), 1000);
  EXPECT_EQ(rig.Correction.AvgT(), 10);
  EXPECT_TRUE(rig.Correction.Toyota());
  EXPECT_FALSE(rig.Window.O2DisplayMode);
  EXPECT_EQ(Encode(rig)[state_offset::Toyota], 1);
}

TEST(ProgramStateTest, AShortFileKeepsTheCurrentValuesBeyondItsEnd) {
  StateRig source;
  source.Window.Language = 1;
  source.Correction.SetPulsLimit(44);
  source.Scale.TpsMin = 12;
  source.Scale.TpsMax = 200;
  source.Window.RememberedT = 321;
  const Bytes full = Encode(source);
  struct Case {
    std::size_t Length;
    bool Language, Delta, TpsMin, TpsMax, RememberedT;
  };
  // A word cut in half counts as missing.
  for (const Case c : {Case{0, false, false, false, false, false}, Case{1, true, false, false, false, false},
                       Case{6, true, false, false, false, false}, Case{7, true, true, false, false, false},
                       Case{12, true, true, true, false, false}, Case{28, true, true, true, true, false}}) {
    StateRig rig;
    rig.Scale.TpsMin = 5;
    rig.Scale.TpsMax = 6;
    RestoreProgramState(std::span<const std::uint8_t>(full.data(), c.Length), rig.Models());
    SCOPED_TRACE(c.Length);
    EXPECT_EQ(rig.Window.Language, c.Language ? 1 : 0);
    EXPECT_EQ(rig.Correction.PulsLimit(), c.Delta ? 44 : 10);
    EXPECT_EQ(rig.Scale.TpsMin, c.TpsMin ? 12 : 5);
    EXPECT_EQ(rig.Scale.TpsMax, c.TpsMax ? 200 : 6);
    EXPECT_EQ(rig.Window.RememberedT, c.RememberedT ? 321 : 1000);
    EXPECT_EQ(rig.Calls.empty(), c.Length == 0) << "an empty file runs no change handling";
  }
}

TEST(ProgramStateTest, FilesAreWrittenWholeAndErrorsKeepEveryValue) {
  test::TempDir folder;
  const auto path = folder.Path() / kStateFileName;
  StateRig rig;
  ProgramState state(rig.Models(), rig.Messages);

  EXPECT_FALSE(state.LoadState(path));
  ASSERT_EQ(rig.Messages.Texts.size(), 1U);
  EXPECT_EQ(rig.Messages.Texts[0],
            path.string() + " Config file load error: cannot open: No such file or directory");
  EXPECT_TRUE(rig.Calls.empty());

  rig.Correction.SetPulsLimit(99);
  ASSERT_TRUE(state.SaveState(path));
  EXPECT_EQ(std::filesystem::file_size(path), 29U);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
      << "no temporary file is left";

  StateRig other;
  ProgramState otherState(other.Models(), other.Messages);
  EXPECT_TRUE(otherState.LoadState(path));
  EXPECT_EQ(other.Correction.PulsLimit(), 99);

  EXPECT_FALSE(state.SaveState(folder.Path() / "no-such-folder" / kStateFileName));
  EXPECT_EQ(rig.Messages.Texts.back(),
            "Config file save error: " + (folder.Path() / "no-such-folder" / kStateFileName).string() +
                ": No such file or directory");

  // A folder where the file should be cannot be read: its own text, no change.
  const auto folderAsFile = folder.Path() / "folder.cfg";
  std::filesystem::create_directory(folderAsFile);
  rig.Messages.Texts.clear();
  EXPECT_FALSE(state.LoadState(folderAsFile));
  ASSERT_EQ(rig.Messages.Texts.size(), 1U);
  EXPECT_NE(rig.Messages.Texts[0].find("folder.cfg"), std::string::npos);
  EXPECT_EQ(rig.Correction.PulsLimit(), 99);
}

}  // namespace
}  // namespace orvel
