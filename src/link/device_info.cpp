#include "link/device_info.h"

#include <array>
#include <vector>

#include "link/link_errors.h"
#include "link/rxtx.h"

namespace orvel {

namespace {

constexpr std::uint8_t kFieldPresent = 1;
constexpr std::array<std::uint8_t, 2> kIdentifyCommand{'s', 'v'};

// Reads the reply byte by byte, checking that each position exists first.
class ReplyReader {
 public:
  explicit ReplyReader(std::span<const std::uint8_t> reply) : Reply(reply) {}

  [[nodiscard]] std::uint8_t At(std::size_t position) const {
    if (position >= Reply.size()) {
      throw IdentityReplyTooShort("identification reply of " + std::to_string(Reply.size()) +
                                  " bytes has no byte " + std::to_string(position));
    }
    return Reply[position];
  }
  [[nodiscard]] std::uint32_t Word(std::size_t position) const {
    return At(position) * 256U + At(position + 1);
  }

 private:
  std::span<const std::uint8_t> Reply;
};

std::string FirmwareText(std::uint32_t version, NumberFormat format) {
  return FormatDecimal(version * 0.1, 1, format);
}

}  // namespace

void DecodeIdentity(std::span<const std::uint8_t> reply, TDeviceInfo& info, NumberFormat format) {
  const ReplyReader bytes(reply);
  if (reply.size() == 1) {
    info = TDeviceInfo{};
    info.FwText = FirmwareText(reply[0], format);
    return;
  }
  info.DeviceId = bytes.Word(0);
  std::size_t p = 2;
  if (bytes.At(p) == kFieldPresent) {
    info.FwVersion = bytes.At(p + 1);
    info.FwText = FirmwareText(info.FwVersion, format);
    p += 2;
  }
  if (bytes.At(p) == kFieldPresent) {
    info.HwVersion = bytes.At(p + 1);
    info.HwText = std::to_string(info.HwVersion);
    p += 2;
  }
  info.FoscKHz = bytes.Word(p);
  info.FoscText = FormatDecimal(info.FoscKHz * 0.001, 3, format) + "MHz";
}

std::string FirmwareLabelText(const TDeviceInfo& info) {
  return "FW_Version:" + info.FwText;
}

std::string HardwareLabelText(const TDeviceInfo& info) {
  return "HW_Version: " + info.HwText;
}

std::string OscillatorLabelText(const TDeviceInfo& info) {
  return "F_OSC: " + info.FoscText;
}

DeviceIdentification::DeviceIdentification(TRXTX& link, NumberFormat format) : Link(link), Format(format) {}

TDeviceInfo DeviceIdentification::Identify(const std::stop_token& stop) {
  if (Link.Connected() == 0) {
    return TDeviceInfo{};
  }
  Link.ClearBuffers();
  Link.Write(kIdentifyCommand);
  std::vector<std::uint8_t> reply;
  std::uint8_t byte = 0;
  while (reply.size() < ReplyLimit && Link.Read(std::span(&byte, 1), stop) == 1) {
    reply.push_back(byte);
  }
  if (reply.empty()) {
    throw LinkError(kErrorConnect, 0, 1);
  }
  DecodeIdentity(reply, Info, Format);
  return Info;
}

}  // namespace orvel
