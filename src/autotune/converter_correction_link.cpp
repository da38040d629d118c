#include "autotune/converter_correction_link.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "link/link_errors.h"
#include "link/rxtx.h"

namespace orvel {

namespace {

constexpr std::uint8_t kCorrectionByte = 0x63;  // 'c'
constexpr std::uint8_t kWindowByte = 0x67;      // 'g'
constexpr int kCorrectionReason = 1;
constexpr int kWindowReason = 2;
constexpr int kLargestMagnitude = 255;

}  // namespace

std::array<std::uint8_t, 3> CorrectionCommand(int correction) {
  const int magnitude = std::min(std::abs(correction), kLargestMagnitude);
  return {kCorrectionByte, static_cast<std::uint8_t>(magnitude),
          static_cast<std::uint8_t>(correction < 0 ? 1 : 0)};
}

std::array<std::uint8_t, 3> WindowCommand() {
  return {kWindowByte, 0x00, 0xFF};
}

void ConverterCorrectionLink::TellCorrectionWindow(int correction, int /*beg*/, int /*end*/, int reason) {
  if (Link.Connected() == 0 || (reason != kCorrectionReason && reason != kWindowReason)) {
    return;
  }
  const auto bytes = reason == kCorrectionReason ? CorrectionCommand(correction) : WindowCommand();
  try {
    Link.Write(bytes);
  } catch (const std::exception& error) {
    ReportPortError(error, Messages);
  }
}

}  // namespace orvel
