#pragma once

// The converter's identification ("sv"): its reply, decoded into TDeviceInfo,
// and the object that runs the exchange and keeps the latest result.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <stop_token>
#include <string>

#include "core/number_format.h"

namespace orvel {

class TRXTX;

inline constexpr std::uint32_t kUnknownDevice = 65535;
// The hardware kind with the contactless throttle sensor interface.
inline constexpr std::uint32_t kContactlessDevice = 2;

struct TDeviceInfo {
  std::uint32_t DeviceId = kUnknownDevice;
  std::string FwText;
  std::uint32_t FwVersion = 0;  // firmware version × 10
  std::string HwText;
  std::uint32_t HwVersion = 0;
  std::string FoscText;  // e.g. "14.746MHz"
  std::uint32_t FoscKHz = 0;

  friend bool operator==(const TDeviceInfo&, const TDeviceInfo&) = default;
};

// A reply that ends before a field it announces.
class IdentityReplyTooShort : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// Decodes an identification reply into `info`, field by field.
//
// One byte is an old converter's firmware version alone; every other field is
// then reset. A longer reply holds: the device kind (2 bytes, big-endian), an
// optional firmware field (flag byte 1, then version × 10), an optional
// hardware field (flag byte 1, then the version), the oscillator in kHz
// (2 bytes, big-endian). An absent optional field takes no bytes: when the
// byte where a flag could stand is not 1, that byte already belongs to the
// next field. So 00 02 3E 80 is kind 2 at 16 MHz without firmware or hardware
// fields. An absent field keeps its value from the earlier identification.
//
// A reply that ends inside a field throws IdentityReplyTooShort; the fields
// decoded before it are already in `info`, the rest keep their values.
void DecodeIdentity(std::span<const std::uint8_t> reply, TDeviceInfo& info, NumberFormat format);

// Display texts of the window's labels.
std::string FirmwareLabelText(const TDeviceInfo& info);    // "FW_Version:3.8"
std::string HardwareLabelText(const TDeviceInfo& info);    // "HW_Version: 5"
std::string OscillatorLabelText(const TDeviceInfo& info);  // "F_OSC: 16MHz"

// Runs "sv" and keeps the latest result (the stored device information).
class DeviceIdentification {
 public:
  // A reply is at most this long; a converter that keeps talking (a live
  // stream still running) is cut off here instead of being read for ever.
  static constexpr std::size_t ReplyLimit = 64;

  explicit DeviceIdentification(TRXTX& link, NumberFormat format = {});

  // Sends "sv" and reads the reply until the converter is silent for the
  // link's time-out. Not connected: sends nothing, keeps the stored result and
  // returns an unknown device with empty texts. No reply at all throws
  // LinkError "ErrorConnect"; a reply too short for its fields throws
  // IdentityReplyTooShort (after storing the fields before it); port errors
  // throw EComPort. A stop requested on `stop` ends the read at once.
  TDeviceInfo Identify(const std::stop_token& stop = {});
  [[nodiscard]] const TDeviceInfo& Stored() const { return Info; }
  void SetNumberFormat(NumberFormat format) { Format = format; }

 private:
  TRXTX& Link;
  NumberFormat Format;
  TDeviceInfo Info;
};

}  // namespace orvel
