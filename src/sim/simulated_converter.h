#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "sim/converter_signal.h"
#include "sim/engine_model.h"
#include "sim/exhaust_oxygen.h"
#include "sim/simulator_options.h"

namespace orvel::sim {

// The converter's side of the serial protocol, as pure logic: bytes in, bytes
// out, with the time given by the caller. No I/O, no clock, no threads; the
// pty host drives it and tests drive it directly.
//
// Commands: "sv" identity, "sy" contactless-sensor settings (device kind 2
// only), "se" + 5 settings bytes, "sl" start and "s" stop of the live stream,
// "sr" table read, "sw" + 392 echoed bytes then the permanent-memory store,
// "t" + 392 bytes to working memory, "c" + magnitude and sign of the live
// correction, "g" + air-flow window, "k" reset, "fiud" firmware loader. Bytes
// that begin no command are ignored.
//
// "s" is both the stop command and the first letter of six others. The stream
// stops as soon as an "s" arrives. The next byte decides: v, y, e, l, r or w
// complete a two-letter command; any other byte means the "s" was a stop and
// is itself read as the start of the next command; 10 ms of silence also
// closes the "s" as a stop, so a later letter is not glued to it.
//
// A command that waits for data bytes ("t", "sw", "se", "c", "g", "fiud") and
// then hears nothing for 500 ms is abandoned, so an interrupted transfer does
// not swallow the next command as data. While the table is being stored in
// permanent memory, received bytes are ignored (the converter is busy).
//
// Working memory is what "sr" returns and what the signal path uses. "sw"
// writes working memory, stores it permanently and reloads working memory from
// the permanent copy; "t" writes working memory only; "k" reloads it from the
// permanent copy.
//
// The firmware loader reads blocks of a 2-byte big-endian length N and N
// bytes and answers each with 0x11 (accepted) or 0x00 (rejected). After it has
// accepted a block and then heard nothing for 500 ms it starts the (new)
// firmware, that is, returns to normal commands.
class SimulatedConverter {
 public:
  static constexpr SimTime kLoneStopSilence = std::chrono::milliseconds{10};
  static constexpr SimTime kAbandonSilence = std::chrono::milliseconds{500};
  static constexpr SimTime kLoaderExitSilence = std::chrono::milliseconds{500};
  static constexpr SimTime kFrameInterval = std::chrono::milliseconds{10};
  // One permanent-memory step at real pacing: 392 steps take about 3 s.
  static constexpr SimTime kStoreStep = std::chrono::milliseconds{8};
  static constexpr std::size_t kStoreSteps = kTableSize;
  // No new frame is made while this much output waits to be sent: a reader
  // that does not keep up loses frames instead of growing a queue. Room for
  // about fifty frames, so a host that woke late at a high time scale can
  // still make every frame that fell due meanwhile.
  static constexpr std::size_t kMaxBacklog = 512;
  static constexpr std::size_t kReceivedLogLimit = std::size_t{1} << 20U;
  static constexpr std::uint8_t kLoaderAccepted = 0x11;
  static constexpr std::uint8_t kLoaderRejected = 0x00;
  static constexpr std::uint8_t kInsertedByte = 0xA5;
  static constexpr std::array<std::uint8_t, 5> kDefaultSensorSettings{90, 135, 1, 0x00, 0x33};

  explicit SimulatedConverter(const SimulatorOptions& options);

  // Handles bytes that arrived at `now` (after running what was due before).
  void Receive(std::span<const std::uint8_t> bytes, SimTime now);
  // Runs what is due at `now`: frames, paced store steps, silences.
  void Advance(SimTime now);
  // When Advance next has something to do; nullopt when only a received byte
  // (or room for output) can change anything.
  [[nodiscard]] std::optional<SimTime> NextEventTime() const;

  // Bytes waiting to go out, oldest first.
  [[nodiscard]] const std::deque<std::uint8_t>& Output() const { return Pending; }
  void ConsumeOutput(std::size_t count);
  std::vector<std::uint8_t> TakeOutput();

  // Set by the hang-up fault: the host must make the device vanish.
  [[nodiscard]] bool HangUpRequested() const { return HangUp; }

  void SetFaults(const FaultSettings& faults) { Faults = faults; }
  [[nodiscard]] const FaultSettings& CurrentFaults() const { return Faults; }

  [[nodiscard]] const ConverterTable& WorkingTable() const { return Working; }
  [[nodiscard]] const ConverterTable& PermanentTable() const { return Permanent; }
  [[nodiscard]] const LiveCorrection& Correction() const { return Live; }
  [[nodiscard]] const std::array<std::uint8_t, 5>& SensorSettings() const { return Sensor; }
  // Every byte received, up to kReceivedLogLimit; ReceivedCount goes on counting.
  [[nodiscard]] const std::vector<std::uint8_t>& ReceivedBytes() const { return Received; }
  [[nodiscard]] std::uint64_t ReceivedCount() const { return ReceivedTotal; }
  // The accepted loader blocks, length fields included, in order.
  [[nodiscard]] const std::vector<std::uint8_t>& LoadedFirmware() const { return Firmware; }
  [[nodiscard]] bool Streaming() const { return IsStreaming; }
  [[nodiscard]] bool InLoader() const { return State == Expect::Loader; }
  [[nodiscard]] bool Storing() const { return StoreStepsLeft > 0; }
  [[nodiscard]] std::uint64_t FramesSent() const { return TotalFrames; }
  [[nodiscard]] const EngineModel& Engine() const { return Model; }

 private:
  enum class Expect { Command, SecondLetter, Data, Fiud, Loader };

  void HandleByte(std::uint8_t byte, SimTime now);
  void HandleCommandByte(std::uint8_t byte, SimTime now);
  void HandleSecondLetter(std::uint8_t byte, SimTime now);
  void HandleDataByte(std::uint8_t byte, SimTime now);
  void HandleLoaderByte(std::uint8_t byte, SimTime now);
  void ExpectData(char command, std::size_t count, SimTime now);
  void FinishData(SimTime now);
  void StartStore(SimTime now);
  void SendStoreStep();
  void CommitStore();
  void EmitFrame(SimTime now);
  void Reset();
  void Send(std::span<const std::uint8_t> bytes);
  void SendCut(std::span<const std::uint8_t> reply);
  [[nodiscard]] bool Fault(FaultMode mode) const { return Faults.Mode == mode; }

  std::vector<std::uint8_t> Identity;
  FaultSettings Faults;
  bool RealPacing;
  double TimeScale;
  EngineModel Model;
  ExhaustOxygenSensor O2;

  ConverterTable Working;
  ConverterTable Permanent;
  LiveCorrection Live;
  std::array<std::uint8_t, 5> Sensor = kDefaultSensorSettings;

  Expect State = Expect::Command;
  SimTime SecondLetterDeadline{};
  char DataCommand = 0;
  std::size_t DataNeeded = 0;
  std::vector<std::uint8_t> Data;
  SimTime LastDataByte{};
  std::size_t FiudMatched = 0;

  std::size_t StoreStepsLeft = 0;
  SimTime NextStoreStep{};

  std::vector<std::uint8_t> LoaderBlock;
  SimTime LastLoaderByte{};
  bool LoaderAcceptedAny = false;
  int LoaderRejections = 0;
  std::vector<std::uint8_t> Firmware;

  bool IsStreaming = false;
  SimTime NextFrame{};
  std::uint8_t AuxSlot = 0;
  std::uint64_t StreamFrames = 0;
  std::uint64_t TotalFrames = 0;
  bool HangUp = false;

  std::deque<std::uint8_t> Pending;
  std::vector<std::uint8_t> Received;
  std::uint64_t ReceivedTotal = 0;
};

}  // namespace orvel::sim
