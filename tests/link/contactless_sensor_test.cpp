#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "converter_on_pty.h"
#include "link/contactless_sensor.h"
#include "link/converter_steps.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

TEST(SensorChoice, ShowsAReadRecord) {
  struct Case {
    ContactlessSettings Read;
    int AngleIndex;
    int Direction;
    CalibrationEnd End;
  };
  // The choice starts at angle 45°, "←", "Max. α".
  const std::vector<Case> cases{
      {{83, 135, 0, 51}, 5, kDirectionRight, CalibrationEnd::MinAngle},
      {{100, 135, 1, 949}, 12, kDirectionLeft, CalibrationEnd::MaxAngle},
      {{70, 135, 3, 500}, 2, kDirectionLeft, CalibrationEnd::MaxAngle},  // 70: 60 and 80 tie, the later wins
      {{0, 135, 2, 100},
       0,
       kDirectionRight,
       CalibrationEnd::MaxAngle},  // 100 and 900 leave the end as it was
      {{52, 135, 0, 901}, 0, kDirectionRight, CalibrationEnd::MaxAngle},
  };
  for (const Case& c : cases) {
    SensorChoice choice;
    choice.End = CalibrationEnd::MaxAngle;
    choice.ShowSettings(c.Read);
    EXPECT_EQ(choice.AngleIndex, c.AngleIndex) << int{c.Read.Angle};
    EXPECT_EQ(choice.DirectionIndex, c.Direction) << int{c.Read.Flags};
    EXPECT_EQ(choice.End, c.End) << c.Read.Calibration;
  }
  SensorChoice changed{0, kDirectionRight, CalibrationEnd::MaxAngle};
  changed.TypeChanged();
  EXPECT_EQ(changed.AngleIndex, 12);
  EXPECT_EQ(changed.DirectionIndex, kDirectionLeft);
  EXPECT_EQ(changed.End, CalibrationEnd::MinAngle);
}

TEST(SensorChoice, CalibrationRecordBytes) {
  const SensorChoice right{5, kDirectionRight, CalibrationEnd::MaxAngle};
  EXPECT_EQ(right.CalibrationSettings(2).ToBytes(), (std::array<std::uint8_t, 5>{83, 135, 0, 0x03, 0xB5}));
  EXPECT_EQ(right.CalibrationSettings(1).ToBytes(), (std::array<std::uint8_t, 5>{83, 135, 1, 0x03, 0xB5}));
  const SensorChoice left{0, kDirectionLeft, CalibrationEnd::MinAngle};
  EXPECT_EQ(left.CalibrationSettings(2).ToBytes(), (std::array<std::uint8_t, 5>{45, 135, 1, 0x00, 0x33}));
}

TDeviceInfo DeviceOfKind(std::uint32_t id) {
  TDeviceInfo info;
  info.DeviceId = id;
  return info;
}

class Countdown final : public CalibrationCountdown {
 public:
  void CountDown(int seconds) override { Seconds.push_back(seconds); }
  std::vector<int> Seconds;
};

class ContactlessSensorTest : public ::testing::Test {
 protected:
  explicit ContactlessSensorTest(const sim::SimulatorOptions& options = {}) : Converter(options) {}

  test::ConverterOnPty Converter;
  std::vector<std::chrono::milliseconds> Waits;
  ContactlessSensor Sensor{Converter.Link, [this](std::chrono::milliseconds time) {
                             Waits.push_back(time);
                             std::this_thread::sleep_for(time);
                           }};
  TDeviceInfo Kind2 = DeviceOfKind(2);
};

TEST_F(ContactlessSensorTest, QueryReadsTheRecordOfAKind2ConverterOnly) {
  EXPECT_EQ(Sensor.Query(DeviceOfKind(1)), std::nullopt);
  EXPECT_EQ(Converter.Received("sy"), 0U);
  const auto settings = Sensor.Query(Kind2);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->ToBytes(), sim::SimulatedConverter::kDefaultSensorSettings);
  EXPECT_EQ(Sensor.Kept(), settings);
  EXPECT_EQ(Waits, std::vector<std::chrono::milliseconds>{200ms});
}

TEST_F(ContactlessSensorTest, CalibrateSendsTheFiveBytesAndCountsDown) {
  const ContactlessSettings settings =
      SensorChoice{12, kDirectionRight, CalibrationEnd::MaxAngle}.CalibrationSettings(2);
  Countdown countdown;
  EXPECT_TRUE(Sensor.Calibrate(settings, countdown));
  EXPECT_EQ(countdown.Seconds, std::vector<int>{15});
  const std::array<std::uint8_t, 5> expected{90, 135, 0, 0x03, 0xB5};
  for (int i = 0;
       i < 100 && Converter.Simulator.Inspect([](const auto& c) { return c.SensorSettings(); }) != expected;
       ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(Converter.Simulator.Inspect([](const auto& c) { return c.SensorSettings(); }), expected);
  EXPECT_EQ(Converter.Simulator.ReceivedBytes(),
            (std::vector<std::uint8_t>{'s', 'e', 90, 135, 0, 0x03, 0xB5}));

  // Without a connected link the settings are kept and nothing is sent.
  TOrvelBroadcaster bus;
  TRXTX closed(bus);
  ContactlessSensor offline(closed);
  Countdown none;
  EXPECT_FALSE(offline.Calibrate(settings, none));
  EXPECT_EQ(offline.Kept(), settings);
  EXPECT_TRUE(none.Seconds.empty());
}

class ShortSensorReplyTest : public ContactlessSensorTest {
 protected:
  ShortSensorReplyTest() : ContactlessSensorTest(test::WithFault(sim::FaultMode::ShortReplies)) {}
};

TEST_F(ShortSensorReplyTest, AShortReplyIsIgnored) {
  EXPECT_EQ(Sensor.Query(Kind2), std::nullopt);
  EXPECT_EQ(Sensor.Kept(), std::nullopt);
}

}  // namespace
}  // namespace orvel
