#include "sim/simulator_options.h"

#include <algorithm>
#include <utility>

namespace orvel::sim {

namespace {

constexpr std::array<std::pair<FaultMode, std::string_view>, 10> kFaultNames{{
    {FaultMode::None, "none"},
    {FaultMode::NoAnswer, "no-answer"},
    {FaultMode::ShortReplies, "short-replies"},
    {FaultMode::WrongEcho, "wrong-echo"},
    {FaultMode::NoPermanentProgress, "no-progress"},
    {FaultMode::VerificationDifference, "verify-difference"},
    {FaultMode::BadCheckBytes, "bad-check-bytes"},
    {FaultMode::InsertedByte, "inserted-byte"},
    {FaultMode::HangUpInStream, "hang-up"},
    {FaultMode::LoaderRejects, "loader-rejects"},
}};

constexpr std::uint8_t kTpsThresholdAlways = 255;

}  // namespace

ConverterTable OneToOneTable() {
  ConverterTable table{};
  for (std::size_t i = 0; i < kParametersBegin; ++i) {
    table[i] = static_cast<std::uint8_t>(i);
  }
  table[kIatCorrBegin - 1] = kTpsThresholdAlways;
  return table;
}

bool HasContactlessSensor(const std::vector<std::uint8_t>& identity) {
  return identity.size() >= 2 && identity[0] == 0 && identity[1] == 2;
}

std::optional<FaultMode> ParseFaultMode(std::string_view name) {
  const auto* found = std::find_if(kFaultNames.begin(), kFaultNames.end(),
                                   [name](const auto& entry) { return entry.second == name; });
  if (found == kFaultNames.end()) {
    return std::nullopt;
  }
  return found->first;
}

std::string_view FaultModeName(FaultMode mode) {
  const auto* found = std::find_if(kFaultNames.begin(), kFaultNames.end(),
                                   [mode](const auto& entry) { return entry.first == mode; });
  return found == kFaultNames.end() ? std::string_view{"unknown"} : found->second;
}

std::vector<std::string_view> FaultModeNames() {
  std::vector<std::string_view> names;
  names.reserve(kFaultNames.size());
  for (const auto& entry : kFaultNames) {
    names.push_back(entry.second);
  }
  return names;
}

}  // namespace orvel::sim
