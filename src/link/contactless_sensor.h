#pragma once

// The contactless throttle sensor of converters of kind 2: reading its
// settings ("sy"), the choices the window offers for them, and sending them
// with the calibrate command ("se").

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "link/device_info.h"
#include "link/link_timing.h"

namespace orvel {

class TRXTX;

// The 5-byte settings record: angle, sensor type, flags (bit 0: direction),
// calibration point (16-bit big-endian).
struct ContactlessSettings {
  static constexpr std::size_t Size = 5;
  // The type code the calibrate command always sends.
  static constexpr std::uint8_t CalibrationType = 135;

  std::uint8_t Angle = 0;
  std::uint8_t Type = 0;
  std::uint8_t Flags = 0;
  std::uint16_t Calibration = 0;

  static ContactlessSettings FromBytes(const std::array<std::uint8_t, Size>& bytes);
  [[nodiscard]] std::array<std::uint8_t, Size> ToBytes() const;
  friend bool operator==(const ContactlessSettings&, const ContactlessSettings&) = default;
};

// The working angles the window offers, in list order.
inline constexpr std::array<int, 13> kSensorAngles{45, 60, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90};
// The list entry nearest to `angle`; on equal distance the later entry.
int NearestAngleIndex(int angle);

enum class CalibrationEnd { MinAngle, MaxAngle };
inline constexpr std::uint16_t kMinAnglePoint = 51;
inline constexpr std::uint16_t kMaxAnglePoint = 949;
// Direction list entries.
inline constexpr int kDirectionLeft = 0;   // "←"
inline constexpr int kDirectionRight = 1;  // "→"

// What the sensor group's lists show. The window binds its lists to it.
struct SensorChoice {
  int AngleIndex = 0;
  int DirectionIndex = kDirectionLeft;
  CalibrationEnd End = CalibrationEnd::MinAngle;

  // Shows settings read from the converter: the nearest angle, the direction
  // 1 − (flags bit 0), and the calibration end when the point lies clearly
  // near one (below 100: min, above 900: max; otherwise unchanged).
  void ShowSettings(const ContactlessSettings& settings);
  // The sensor type was changed: direction "←", calibration at min, and the
  // angle nearest to 90°.
  void TypeChanged();
  // The record the calibrate command sends for this choice on a converter of
  // kind `deviceId`.
  [[nodiscard]] ContactlessSettings CalibrationSettings(std::uint32_t deviceId) const;
};

// Shows the calibration countdown; returns when it has ended.
class CalibrationCountdown {
 public:
  virtual ~CalibrationCountdown() = default;
  virtual void CountDown(int seconds) = 0;

 protected:
  CalibrationCountdown() = default;
  CalibrationCountdown(const CalibrationCountdown&) = default;
  CalibrationCountdown& operator=(const CalibrationCountdown&) = default;
};

class ContactlessSensor {
 public:
  static constexpr int CalibrationSeconds = 15;

  explicit ContactlessSensor(TRXTX& link, SleepFunction sleep = RealSleep);

  // Sends "sy" to a converter of the contactless kind and reads the 5-byte
  // reply 200 ms later. A full reply is kept and returned; a short one, or a
  // converter of another kind, gives nullopt and reports nothing. Port errors
  // throw EComPort. `pause` waits out the reply time in place of the
  // sensor's own sleep (a worker's wait that a stop ends); a stop requested
  // on `stop` ends the read at once.
  std::optional<ContactlessSettings> Query(const TDeviceInfo& device);
  std::optional<ContactlessSettings> Query(const TDeviceInfo& device, const SleepFunction& pause,
                                           const std::stop_token& stop);

  // Keeps `settings`; when the link is connected sends "se", waits 200 ms,
  // clears the buffers, sends the record and runs the countdown while the
  // converter calibrates (it sends no answer). Returns whether it was sent.
  bool Calibrate(const ContactlessSettings& settings, CalibrationCountdown& countdown);

  [[nodiscard]] const std::optional<ContactlessSettings>& Kept() const { return Settings; }

 private:
  TRXTX& Link;
  SleepFunction Sleep;
  std::optional<ContactlessSettings> Settings;
};

}  // namespace orvel
