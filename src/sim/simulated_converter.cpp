#include "sim/simulated_converter.h"

#include <algorithm>
#include <string_view>

namespace orvel::sim {

namespace {

constexpr std::string_view kLoaderCommand = "fiud";
constexpr std::size_t kSensorSettingsSize = 5;
constexpr std::size_t kTwoBytes = 2;

void TakeEarlier(std::optional<SimTime>& earliest, SimTime candidate) {
  if (!earliest || candidate < *earliest) {
    earliest = candidate;
  }
}

}  // namespace

SimulatedConverter::SimulatedConverter(const SimulatorOptions& options)
    : Identity(options.Identity),
      Faults(options.Faults),
      RealPacing(options.RealPacing),
      TimeScale(options.TimeScale > 0 ? options.TimeScale : 1.0),
      Model(options.Seed, options.Realism),
      O2(options.Sensor, options.Realism, options.Seed + 1),
      Working(options.InitialTable),
      Permanent(options.InitialTable),
      State(options.StartInLoader ? Expect::Loader : Expect::Command) {}

void SimulatedConverter::Receive(std::span<const std::uint8_t> bytes, SimTime now) {
  Advance(now);
  ReceivedTotal += bytes.size();
  const std::size_t room = kReceivedLogLimit - std::min(kReceivedLogLimit, Received.size());
  Received.insert(Received.end(), bytes.begin(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
  if (Fault(FaultMode::NoAnswer)) {
    return;
  }
  for (const std::uint8_t byte : bytes) {
    HandleByte(byte, now);
  }
}

void SimulatedConverter::HandleByte(std::uint8_t byte, SimTime now) {
  if (Storing()) {
    return;
  }
  switch (State) {
    case Expect::Command:
      HandleCommandByte(byte, now);
      return;
    case Expect::SecondLetter:
      HandleSecondLetter(byte, now);
      return;
    case Expect::Data:
      HandleDataByte(byte, now);
      return;
    case Expect::Fiud:
      if (byte == static_cast<std::uint8_t>(kLoaderCommand[FiudMatched])) {
        LastDataByte = now;
        if (++FiudMatched == kLoaderCommand.size()) {
          IsStreaming = false;
          State = Expect::Loader;
          LoaderBlock.clear();
          LoaderAcceptedAny = false;
          LoaderRejections = 0;
        }
        return;
      }
      State = Expect::Command;
      HandleCommandByte(byte, now);
      return;
    case Expect::Loader:
      HandleLoaderByte(byte, now);
      return;
  }
}

void SimulatedConverter::HandleCommandByte(std::uint8_t byte, SimTime now) {
  switch (byte) {
    case 's':
      IsStreaming = false;
      State = Expect::SecondLetter;
      SecondLetterDeadline = now + kLoneStopSilence;
      return;
    case 't':
      ExpectData('t', kTableSize, now);
      return;
    case 'c':
      ExpectData('c', kTwoBytes, now);
      return;
    case 'g':
      ExpectData('g', kTwoBytes, now);
      return;
    case 'k':
      Reset();
      return;
    case 'f':
      State = Expect::Fiud;
      FiudMatched = 1;
      LastDataByte = now;
      return;
    default:
      return;  // begins no command
  }
}

void SimulatedConverter::HandleSecondLetter(std::uint8_t byte, SimTime now) {
  State = Expect::Command;
  switch (byte) {
    case 'v':
      SendCut(Identity);
      return;
    case 'y':
      if (HasContactlessSensor(Identity)) {
        SendCut(Sensor);
      }
      return;
    case 'e':
      ExpectData('e', kSensorSettingsSize, now);
      return;
    case 'l':
      IsStreaming = true;
      NextFrame = now;
      StreamFrames = 0;
      return;
    case 'r':
      SendCut(Working);
      return;
    case 'w':
      ExpectData('w', kTableSize, now);
      return;
    default:
      // The "s" was a stop; this byte starts whatever comes next.
      HandleCommandByte(byte, now);
      return;
  }
}

void SimulatedConverter::ExpectData(char command, std::size_t count, SimTime now) {
  State = Expect::Data;
  DataCommand = command;
  DataNeeded = count;
  Data.clear();
  LastDataByte = now;
}

void SimulatedConverter::HandleDataByte(std::uint8_t byte, SimTime now) {
  if (DataCommand == 'w') {
    const bool wrong = Fault(FaultMode::WrongEcho) && Data.size() == Faults.ByteIndex;
    const std::uint8_t echo = wrong ? static_cast<std::uint8_t>(byte ^ 0xFFU) : byte;
    Send(std::span(&echo, 1));
  }
  Data.push_back(byte);
  LastDataByte = now;
  if (Data.size() == DataNeeded) {
    FinishData(now);
  }
}

void SimulatedConverter::FinishData(SimTime now) {
  State = Expect::Command;
  switch (DataCommand) {
    case 't':
      std::copy(Data.begin(), Data.end(), Working.begin());
      return;
    case 'w':
      std::copy(Data.begin(), Data.end(), Working.begin());
      StartStore(now);
      return;
    case 'e':
      std::copy(Data.begin(), Data.end(), Sensor.begin());
      return;
    case 'c':
      Live.Value = Data[1] == 1 ? -static_cast<int>(Data[0]) : static_cast<int>(Data[0]);
      return;
    case 'g':
      Live.WindowBegin = Data[0];
      Live.WindowEnd = Data[1];
      return;
    default:
      return;
  }
}

void SimulatedConverter::StartStore(SimTime now) {
  if (Fault(FaultMode::NoPermanentProgress)) {
    CommitStore();
    return;
  }
  StoreStepsLeft = kStoreSteps;
  if (RealPacing) {
    NextStoreStep = now + kStoreStep;
    return;
  }
  while (Storing()) {
    SendStoreStep();
  }
}

void SimulatedConverter::SendStoreStep() {
  // One byte per step, never 0 until the last one.
  --StoreStepsLeft;
  const std::size_t step = kStoreSteps - StoreStepsLeft;
  const auto progress = static_cast<std::uint8_t>(StoreStepsLeft == 0 ? 0 : step % 255 + 1);
  Send(std::span(&progress, 1));
  if (StoreStepsLeft == 0) {
    CommitStore();
  }
}

void SimulatedConverter::CommitStore() {
  Permanent = Working;
  if (Fault(FaultMode::VerificationDifference) && Faults.ByteIndex < kTableSize) {
    Permanent[Faults.ByteIndex] ^= 0x01U;
  }
  Working = Permanent;
}

void SimulatedConverter::HandleLoaderByte(std::uint8_t byte, SimTime now) {
  LoaderBlock.push_back(byte);
  LastLoaderByte = now;
  if (LoaderBlock.size() < kTwoBytes) {
    return;
  }
  const std::size_t length = LoaderBlock[0] * 256U + LoaderBlock[1];
  if (LoaderBlock.size() < length + kTwoBytes) {
    return;
  }
  if (Fault(FaultMode::LoaderRejects) && LoaderRejections < Faults.LoaderRejections) {
    ++LoaderRejections;
    Send(std::span(&kLoaderRejected, 1));
  } else {
    LoaderRejections = 0;
    LoaderAcceptedAny = true;
    Firmware.insert(Firmware.end(), LoaderBlock.begin(), LoaderBlock.end());
    Send(std::span(&kLoaderAccepted, 1));
  }
  LoaderBlock.clear();
}

void SimulatedConverter::Reset() {
  Working = Permanent;
  Live = LiveCorrection{};
  IsStreaming = false;
  State = Expect::Command;
}

void SimulatedConverter::Advance(SimTime now) {
  if (State == Expect::SecondLetter && now >= SecondLetterDeadline) {
    State = Expect::Command;
  }
  if ((State == Expect::Data || State == Expect::Fiud) && now >= LastDataByte + kAbandonSilence) {
    State = Expect::Command;
  }
  while (Storing() && RealPacing && now >= NextStoreStep) {
    SendStoreStep();
    NextStoreStep += kStoreStep;
  }
  if (State == Expect::Loader && !LoaderBlock.empty() && now >= LastLoaderByte + kLoaderExitSilence) {
    LoaderBlock.clear();  // an interrupted block is not taken
  }
  if (State == Expect::Loader && LoaderAcceptedAny && now >= LastLoaderByte + kLoaderExitSilence) {
    State = Expect::Command;
  }
  // Every frame due by now is made at its own time, so a late wake-up of the
  // host does not thin out the stream or shift the engine's time. Only a
  // reader that does not keep up (output piling up) loses frames: then the
  // schedule starts afresh instead of catching up in a burst.
  const auto interval = std::max(std::chrono::duration_cast<SimTime>(kFrameInterval / TimeScale), SimTime{1});
  while (IsStreaming && now >= NextFrame) {
    if (Pending.size() >= kMaxBacklog || Fault(FaultMode::NoAnswer)) {
      NextFrame = now + interval;
      break;
    }
    EmitFrame(NextFrame);
    NextFrame += interval;
  }
}

void SimulatedConverter::EmitFrame(SimTime now) {
  const auto engineTime = std::chrono::duration_cast<SimTime>(now * TimeScale);
  const EngineState state = Model.StateAt(engineTime);
  const ConverterOutputs outputs = ComputeOutputs(Working, Live, state);
  const std::uint8_t o2 = O2.Count(engineTime, state, outputs.Conv, Model.IdealOutput(state.Maf));
  LiveFrame frame = BuildFrame(state, outputs, o2, AuxSlot);
  AuxSlot = static_cast<std::uint8_t>((AuxSlot + 1U) & 3U);
  if (Fault(FaultMode::BadCheckBytes)) {
    frame[kFrameSize - 1] ^= 0x5AU;
  }
  Send(frame);
  ++StreamFrames;
  ++TotalFrames;
  const auto every = static_cast<std::uint64_t>(std::max(Faults.FrameCount, 1));
  if (Fault(FaultMode::InsertedByte) && StreamFrames % every == 0) {
    Send(std::span(&kInsertedByte, 1));
  }
  if (Fault(FaultMode::HangUpInStream) && StreamFrames >= every) {
    IsStreaming = false;
    HangUp = true;
  }
}

std::optional<SimTime> SimulatedConverter::NextEventTime() const {
  std::optional<SimTime> earliest;
  if (State == Expect::SecondLetter) {
    TakeEarlier(earliest, SecondLetterDeadline);
  }
  if (State == Expect::Data || State == Expect::Fiud) {
    TakeEarlier(earliest, LastDataByte + kAbandonSilence);
  }
  if (Storing() && RealPacing) {
    TakeEarlier(earliest, NextStoreStep);
  }
  if (State == Expect::Loader && (LoaderAcceptedAny || !LoaderBlock.empty())) {
    TakeEarlier(earliest, LastLoaderByte + kLoaderExitSilence);
  }
  if (IsStreaming && Pending.size() < kMaxBacklog) {
    TakeEarlier(earliest, NextFrame);
  }
  return earliest;
}

void SimulatedConverter::Send(std::span<const std::uint8_t> bytes) {
  if (Fault(FaultMode::NoAnswer)) {
    return;
  }
  Pending.insert(Pending.end(), bytes.begin(), bytes.end());
}

void SimulatedConverter::SendCut(std::span<const std::uint8_t> reply) {
  // The short-reply fault sends the first half of a reply.
  Send(Fault(FaultMode::ShortReplies) ? reply.first(reply.size() / 2) : reply);
}

void SimulatedConverter::ConsumeOutput(std::size_t count) {
  Pending.erase(Pending.begin(),
                Pending.begin() + static_cast<std::ptrdiff_t>(std::min(count, Pending.size())));
}

std::vector<std::uint8_t> SimulatedConverter::TakeOutput() {
  std::vector<std::uint8_t> bytes(Pending.begin(), Pending.end());
  Pending.clear();
  return bytes;
}

}  // namespace orvel::sim
