// The identification reply ("sv"): any reply the link can collect decodes or
// is refused as too short, never a fault, and the texts the window shows are
// built from whatever it decoded.

#include "fuzz_input.h"
#include "link/device_info.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > DeviceIdentification::ReplyLimit) {
    return 0;  // the link reports no reply at all, and stops reading at the limit
  }
  TDeviceInfo info;
  info.FwText = "3.8";
  try {
    DecodeIdentity({data, size}, info, NumberFormat{','});
  } catch (const IdentityReplyTooShort&) {
    fuzz::Require(size > 1, "a one-byte reply is complete");
  }
  fuzz::Require(info.DeviceId <= 65535 && info.FoscKHz <= 65535, "two-byte fields stay two bytes");
  fuzz::Require(!FirmwareLabelText(info).empty() && !HardwareLabelText(info).empty() &&
                    !OscillatorLabelText(info).empty(),
                "the labels have their captions");
  return 0;
}
