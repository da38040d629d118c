#include "link/contactless_sensor.h"

#include <cstdlib>
#include <span>
#include <utility>

#include "link/rxtx.h"

namespace orvel {

namespace {

constexpr std::array<std::uint8_t, 2> kQueryCommand{'s', 'y'};
constexpr std::array<std::uint8_t, 2> kCalibrateCommand{'s', 'e'};
constexpr std::uint16_t kNearMinAngle = 100;
constexpr std::uint16_t kNearMaxAngle = 900;
constexpr int kTypeChangeAngle = 90;

}  // namespace

ContactlessSettings ContactlessSettings::FromBytes(const std::array<std::uint8_t, Size>& bytes) {
  return {bytes[0], bytes[1], bytes[2], static_cast<std::uint16_t>(bytes[3] * 256U + bytes[4])};
}

std::array<std::uint8_t, ContactlessSettings::Size> ContactlessSettings::ToBytes() const {
  return {Angle, Type, Flags, static_cast<std::uint8_t>(Calibration >> 8U),
          static_cast<std::uint8_t>(Calibration & 0xFFU)};
}

int NearestAngleIndex(int angle) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(kSensorAngles.size()); ++i) {
    if (std::abs(kSensorAngles[i] - angle) <= std::abs(kSensorAngles[best] - angle)) {
      best = i;
    }
  }
  return best;
}

void SensorChoice::ShowSettings(const ContactlessSettings& settings) {
  AngleIndex = NearestAngleIndex(settings.Angle);
  DirectionIndex = 1 - (settings.Flags & 1);
  if (settings.Calibration < kNearMinAngle) {
    End = CalibrationEnd::MinAngle;
  } else if (settings.Calibration > kNearMaxAngle) {
    End = CalibrationEnd::MaxAngle;
  }
}

void SensorChoice::TypeChanged() {
  DirectionIndex = kDirectionLeft;
  End = CalibrationEnd::MinAngle;
  AngleIndex = NearestAngleIndex(kTypeChangeAngle);
}

ContactlessSettings SensorChoice::CalibrationSettings(std::uint32_t deviceId) const {
  ContactlessSettings settings;
  settings.Angle = static_cast<std::uint8_t>(kSensorAngles.at(static_cast<std::size_t>(AngleIndex)));
  settings.Type = ContactlessSettings::CalibrationType;
  // Kind 2 converters count the direction the other way round.
  settings.Flags =
      static_cast<std::uint8_t>(deviceId == kContactlessDevice ? (DirectionIndex + 1) & 1 : DirectionIndex);
  settings.Calibration = End == CalibrationEnd::MaxAngle ? kMaxAnglePoint : kMinAnglePoint;
  return settings;
}

ContactlessSensor::ContactlessSensor(TRXTX& link, SleepFunction sleep)
    : Link(link), Sleep(std::move(sleep)) {}

std::optional<ContactlessSettings> ContactlessSensor::Query(const TDeviceInfo& device) {
  return Query(device, Sleep, {});
}

std::optional<ContactlessSettings> ContactlessSensor::Query(const TDeviceInfo& device,
                                                            const SleepFunction& pause,
                                                            const std::stop_token& stop) {
  if (device.DeviceId != kContactlessDevice) {
    return std::nullopt;
  }
  Link.ClearBuffers();
  Link.ClearOutput();
  Link.Write(kQueryCommand);
  pause(kSensorPause);
  std::array<std::uint8_t, ContactlessSettings::Size> reply{};
  if (Link.Read(reply, stop) != reply.size()) {
    return std::nullopt;
  }
  Settings = ContactlessSettings::FromBytes(reply);
  return Settings;
}

bool ContactlessSensor::Calibrate(const ContactlessSettings& settings, CalibrationCountdown& countdown) {
  Settings = settings;
  if (Link.Connected() == 0) {
    return false;
  }
  Link.Write(kCalibrateCommand);
  Sleep(kSensorPause);
  Link.ClearBuffers();
  Link.ClearOutput();
  Link.Write(settings.ToBytes());
  countdown.CountDown(CalibrationSeconds);
  return true;
}

}  // namespace orvel
