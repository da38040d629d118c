#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace orvel::sim {

// Time as the simulator sees it: elapsed since the simulated converter was
// switched on. The protocol engine never reads a clock; its host tells it the
// time with every call.
using SimTime = std::chrono::microseconds;

// The converter's table on the wire: 392 bytes (outputs 0..255, eight
// parameters 256..263, IAT corrections 264..327 and ECT corrections 328..391 as
// two's complement bytes).
inline constexpr std::size_t kTableSize = 392;
using ConverterTable = std::array<std::uint8_t, kTableSize>;
inline constexpr std::size_t kParametersBegin = 256;
inline constexpr std::size_t kIatCorrBegin = 264;
inline constexpr std::size_t kEctCorrBegin = 328;

// The 1:1 table: every output equals its input, neutral parameters, no
// temperature correction.
ConverterTable OneToOneTable();

// Replies to "sv": the old converters answer with the firmware version alone,
// newer ones with the field list (device kind 2, firmware 3.8, hardware 5,
// 16 MHz oscillator).
inline constexpr std::array<std::uint8_t, 1> kOldIdentity{38};
inline constexpr std::array<std::uint8_t, 8> kFullIdentity{0x00, 0x02, 0x01, 0x26, 0x01, 0x05, 0x3E, 0x80};

// True when an identity reply names device kind 2, the kind with the
// contactless throttle sensor (only that kind answers "sy").
bool HasContactlessSensor(const std::vector<std::uint8_t>& identity);

enum class FaultMode {
  None,
  NoAnswer,                // consumes every byte, answers nothing
  ShortReplies,            // "sr", "sv" and "sy" replies are cut short
  WrongEcho,               // the echo of block byte FaultSettings::ByteIndex during "sw" is wrong
  NoPermanentProgress,     // "sw" stores the table but sends no progress bytes
  VerificationDifference,  // the stored table differs from the written one at ByteIndex
  BadCheckBytes,           // every live frame carries a wrong check byte
  InsertedByte,            // an extra byte after every FrameCount frames of a stream
  HangUpInStream,          // the device vanishes after FrameCount frames of a stream
  LoaderRejects,           // the loader rejects each block LoaderRejections times, then accepts it
};

struct FaultSettings {
  FaultMode Mode = FaultMode::None;
  std::size_t ByteIndex = 100;
  int FrameCount = 50;
  // 4 or more: the configurator gives up on the first block, so the update always fails.
  int LoaderRejections = 4;
};

// Names used on the command line ("none", "no-answer", ...); nullopt for an
// unknown name.
std::optional<FaultMode> ParseFaultMode(std::string_view name);
std::string_view FaultModeName(FaultMode mode);
std::vector<std::string_view> FaultModeNames();

enum class SensorKind {
  NarrowBand,  // 0-1 V switching sensor: rich ~0.8 V, lean ~0.1 V
  WideBand,    // 0-5 V linear controller output: air-fuel ratio 10..20 over 0..5 V
};

// How close the simulated engine comes to a real car. Each level adds to the
// one before it:
//   off         the oxygen signal answers the output in the same sample, a
//               little noise (the default);
//   delay       the exhaust carries the mixture to the sensor in 300 ms at
//               idle down to 50 ms at 6000 rpm;
//   lag         the sensor follows with a time constant (narrow band 100 ms,
//               wide band 150 ms);
//   noisy       heavier noise on the oxygen, air-flow and speed signals;
//   transients  the engine computer's acceleration enrichment and overrun
//               fuel cut;
//   realistic   a sensor that reads nothing useful for its first 30 s and a
//               drive cycle of idle, cruises, hard accelerations and engine
//               braking.
enum class RealismLevel { Off, Delay, Lag, Noisy, Transients, Realistic };

// The separate effects the levels switch on.
struct RealismFeatures {
  bool ExhaustDelay = false;
  bool SensorLag = false;
  bool HeavyNoise = false;
  bool Transients = false;
  bool ColdSensor = false;
  bool DriveCycle = false;
};

RealismFeatures FeaturesOf(RealismLevel level);

// Names used on the command line, in order from "off" to "realistic";
// nullopt for an unknown name.
std::optional<RealismLevel> ParseRealismLevel(std::string_view name);
std::string_view RealismLevelName(RealismLevel level);
std::vector<std::string_view> RealismLevelNames();

struct SimulatorOptions {
  std::vector<std::uint8_t> Identity{kFullIdentity.begin(), kFullIdentity.end()};
  FaultSettings Faults;
  // Real 9600-baud pacing: one byte every ~1.04 ms on the way out and the
  // permanent-memory store takes a few seconds. Off: bytes go out as fast as
  // the pseudo-terminal takes them.
  bool RealPacing = false;
  // The engine and the frame stream run this many times faster than real time.
  double TimeScale = 1.0;
  SensorKind Sensor = SensorKind::NarrowBand;
  RealismLevel Realism = RealismLevel::Off;
  std::uint32_t Seed = 1;
  ConverterTable InitialTable = OneToOneTable();
  // A converter whose firmware does not start: only the loader answers.
  bool StartInLoader = false;
};

// The environment variables that set up the window's built-in simulator.
inline constexpr const char* kRealismVariable = "ORVEL_SIM_REALISM";       // a level name
inline constexpr const char* kTimeScaleVariable = "ORVEL_SIM_TIME_SCALE";  // 0.1 .. 1000

// Default options with the realism level and time scale taken from
// `lookup` (std::getenv unless a test gives its own). An unset, unknown or
// out-of-range value leaves that option at its default.
SimulatorOptions SimulatorOptionsFromEnvironment(const std::function<const char*(const char*)>& lookup);
SimulatorOptions SimulatorOptionsFromEnvironment();

}  // namespace orvel::sim
