#include "sim/simulator_options.h"

#include <algorithm>
#include <cstdlib>
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

constexpr std::array<std::pair<RealismLevel, std::string_view>, 6> kRealismNames{{
    {RealismLevel::Off, "off"},
    {RealismLevel::Delay, "delay"},
    {RealismLevel::Lag, "lag"},
    {RealismLevel::Noisy, "noisy"},
    {RealismLevel::Transients, "transients"},
    {RealismLevel::Realistic, "realistic"},
}};

constexpr std::uint8_t kTpsThresholdAlways = 255;
constexpr double kSlowestTimeScale = 0.1;
constexpr double kFastestTimeScale = 1000.0;

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

RealismFeatures FeaturesOf(RealismLevel level) {
  const auto atLeast = [level](RealismLevel from) {
    return static_cast<int>(level) >= static_cast<int>(from);
  };
  RealismFeatures features;
  features.ExhaustDelay = atLeast(RealismLevel::Delay);
  features.SensorLag = atLeast(RealismLevel::Lag);
  features.HeavyNoise = atLeast(RealismLevel::Noisy);
  features.Transients = atLeast(RealismLevel::Transients);
  features.ColdSensor = atLeast(RealismLevel::Realistic);
  features.DriveCycle = atLeast(RealismLevel::Realistic);
  return features;
}

std::optional<RealismLevel> ParseRealismLevel(std::string_view name) {
  const auto* found = std::find_if(kRealismNames.begin(), kRealismNames.end(),
                                   [name](const auto& entry) { return entry.second == name; });
  if (found == kRealismNames.end()) {
    return std::nullopt;
  }
  return found->first;
}

std::string_view RealismLevelName(RealismLevel level) {
  const auto* found = std::find_if(kRealismNames.begin(), kRealismNames.end(),
                                   [level](const auto& entry) { return entry.first == level; });
  return found == kRealismNames.end() ? std::string_view{"unknown"} : found->second;
}

std::vector<std::string_view> RealismLevelNames() {
  std::vector<std::string_view> names;
  names.reserve(kRealismNames.size());
  for (const auto& entry : kRealismNames) {
    names.push_back(entry.second);
  }
  return names;
}

SimulatorOptions SimulatorOptionsFromEnvironment(const std::function<const char*(const char*)>& lookup) {
  SimulatorOptions options;
  if (const char* level = lookup(kRealismVariable); level != nullptr) {
    options.Realism = ParseRealismLevel(level).value_or(RealismLevel::Off);
  }
  if (const char* scale = lookup(kTimeScaleVariable); scale != nullptr) {
    char* end = nullptr;
    const double value = std::strtod(scale, &end);
    if (end != scale && *end == '\0' && value >= kSlowestTimeScale && value <= kFastestTimeScale) {
      options.TimeScale = value;
    }
  }
  return options;
}

SimulatorOptions SimulatorOptionsFromEnvironment() {
  return SimulatorOptionsFromEnvironment([](const char* name) -> const char* { return std::getenv(name); });
}

}  // namespace orvel::sim
