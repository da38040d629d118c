#include "live/program_state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/xrpm_table.h"
#include "core/damaged_file.h"
#include "core/input_file.h"
#include "table/atomic_file.h"

namespace orvel {

namespace {

void PutWord(ProgramStateBytes& bytes, std::size_t offset, std::int32_t value) {
  const auto word = static_cast<std::uint16_t>(value);
  bytes[offset] = static_cast<std::uint8_t>(word >> 8U);
  bytes[offset + 1] = static_cast<std::uint8_t>(word & 0xFFU);
}

// The fields a file of `size` bytes holds whole.
class StateReader {
 public:
  explicit StateReader(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

  [[nodiscard]] bool Has(std::size_t offset, std::size_t size) const { return offset + size <= Bytes.size(); }
  [[nodiscard]] std::int32_t SignedByte(std::size_t offset) const {
    return static_cast<std::int8_t>(Bytes[offset]);
  }
  [[nodiscard]] bool Flag(std::size_t offset) const { return Bytes[offset] != 0; }
  [[nodiscard]] std::int32_t Word(std::size_t offset) const {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(Bytes[offset]) << 8U) | Bytes[offset + 1]);
  }

  // Runs `apply` with the word at `offset` when the file holds it.
  template <typename Apply>
  void WithWord(std::size_t offset, Apply apply) const {
    if (Has(offset, 2)) {
      apply(Word(offset));
    }
  }

 private:
  std::span<const std::uint8_t> Bytes;
};

constexpr std::int32_t kSensorCount = 5;

}  // namespace

std::int32_t SliderBPosition(std::int32_t avgB) {
  return kSliderMax + kSliderBMin - avgB;
}

std::int32_t SliderTPosition(std::int32_t avgT) {
  return kSliderMax + kSliderTMin - avgT;
}

std::int32_t AvgBFromPosition(std::int32_t position) {
  return kSliderMax + kSliderBMin - std::clamp(position, kSliderBMin, kSliderMax);
}

std::int32_t AvgTFromPosition(std::int32_t position) {
  return kSliderMax + kSliderTMin - std::clamp(position, kSliderTMin, kSliderMax);
}

ProgramStateBytes EncodeProgramState(const ProgramStateModels& models) {
  namespace at = state_offset;
  const CorrectionWindowModel& correction = models.Correction;
  const WindowSettings& window = models.Window;
  ProgramStateBytes bytes{};
  bytes[at::Language] = static_cast<std::uint8_t>(window.Language);
  bytes[at::SensorType] = static_cast<std::uint8_t>(models.Reference.SensorType());
  bytes[at::O2DisplayMode] = window.O2DisplayMode ? 1 : 0;
  bytes[at::Toyota] = correction.Toyota() ? 1 : 0;
  bytes[at::TpsDisplayMode] = window.TpsDisplayMode ? 1 : 0;
  PutWord(bytes, at::Delta, correction.PulsLimit());
  PutWord(bytes, at::RefO2Position, models.Reference.RefO2().Position);
  models.Scale.SaveScale(
      std::span<std::uint8_t, XrpmTable::ScaleBytes>(&bytes[at::TpsMin], XrpmTable::ScaleBytes));
  PutWord(bytes, at::BPosition, SliderBPosition(correction.AvgB()));
  PutWord(bytes, at::TPosition, SliderTPosition(correction.AvgT()));
  PutWord(bytes, at::ForcedIdleRpm, correction.ForcedIdleRpm());
  PutWord(bytes, at::ForcedIdleTps, correction.ForcedIdleTps());
  PutWord(bytes, at::LearnedBegin, correction.LearnedBegin());
  PutWord(bytes, at::Spare, window.Spare);
  PutWord(bytes, at::RememberedB, window.RememberedB);
  PutWord(bytes, at::RememberedT, window.RememberedT);
  return bytes;
}

void RestoreProgramState(std::span<const std::uint8_t> bytes, const ProgramStateModels& models) {
  namespace at = state_offset;
  const StateReader file(bytes);
  CorrectionWindowModel& correction = models.Correction;
  WindowSettings& window = models.Window;

  // 1. The two list positions, as signed bytes. A sensor position the list
  // does not have keeps the current sensor: its change handling would set
  // the reference up for no sensor at all.
  if (file.Has(at::Language, 1)) {
    window.Language = file.SignedByte(at::Language);
  }
  std::int32_t sensor = models.Reference.SensorType();
  if (file.Has(at::SensorType, 1)) {
    const std::int32_t stored = file.SignedByte(at::SensorType);
    if (stored >= 0 && stored < kSensorCount) {
      sensor = stored;
    }
  }
  // 2. The sensor change, then the language change.
  if (file.Has(at::SensorType, 1)) {
    if (models.SensorListChanged) {
      models.SensorListChanged(sensor);
    }
    models.Reference.ComboBoxO2Change(sensor);
  }
  if (file.Has(at::Language, 1) && models.LanguageChanged) {
    models.LanguageChanged(window.Language);
  }
  // 3. The flags and the Toyota button's state.
  if (file.Has(at::O2DisplayMode, 1)) {
    window.O2DisplayMode = file.Flag(at::O2DisplayMode);
  }
  if (file.Has(at::Toyota, 1)) {
    correction.SetToyota(file.Flag(at::Toyota));
  }
  if (file.Has(at::TpsDisplayMode, 1)) {
    window.TpsDisplayMode = file.Flag(at::TpsDisplayMode);
  }
  // 4. Delta, then the O2 reference within the slider's range.
  file.WithWord(at::Delta, [&](std::int32_t delta) {
    if (std::clamp(delta, 0, 255) != correction.PulsLimit()) {
      correction.SetPulsLimit(delta);
    }
  });
  file.WithWord(at::RefO2Position,
                [&](std::int32_t position) { models.Reference.SetRefO2Position(position); });
  // 5. The throttle scale.
  file.WithWord(at::TpsMin, [&](std::int32_t value) { models.Scale.TpsMin = value; });
  file.WithWord(at::TpsMax, [&](std::int32_t value) { models.Scale.TpsMax = value; });
  // 6. Sliders B and T within their ranges.
  file.WithWord(at::BPosition, [&](std::int32_t position) {
    const std::int32_t value = AvgBFromPosition(position);
    if (value != correction.AvgB()) {
      correction.SetAvgB(value);
    }
  });
  file.WithWord(at::TPosition, [&](std::int32_t position) {
    const std::int32_t value = AvgTFromPosition(position);
    if (value != correction.AvgT()) {
      correction.SetAvgT(value);
    }
  });
  // 7. The forced-idle thresholds.
  file.WithWord(at::ForcedIdleRpm,
                [&](std::int32_t rpm) { correction.SetForcedIdle(rpm, correction.ForcedIdleTps()); });
  file.WithWord(at::ForcedIdleTps,
                [&](std::int32_t tps) { correction.SetForcedIdle(correction.ForcedIdleRpm(), tps); });
  // 8. The learned beginning and the values the window carries along.
  file.WithWord(at::LearnedBegin, [&](std::int32_t point) { correction.SetLearnedBegin(point); });
  file.WithWord(at::Spare, [&](std::int32_t value) { window.Spare = value; });
  file.WithWord(at::RememberedB, [&](std::int32_t value) { window.RememberedB = value; });
  file.WithWord(at::RememberedT, [&](std::int32_t value) { window.RememberedT = value; });
}

ProgramState::ProgramState(ProgramStateModels models, UserMessages& messages)
    : Models(std::move(models)), Messages(messages) {}

bool ProgramState::SaveState(const std::filesystem::path& path) {
  if (KeepAsideBeforeSave) {
    if (const std::string failure = KeepDamagedFile(path); !failure.empty()) {
      Messages.ShowMessage(failure);
      return false;
    }
    KeepAsideBeforeSave = false;
  }
  const ProgramStateBytes bytes = EncodeProgramState(Models);
  const WriteResult result = WriteFileAtomically(path, bytes);
  switch (result.Outcome) {
    case WriteOutcome::Written:
      return true;
    case WriteOutcome::CannotCreate:
      Messages.ShowMessage(std::string(kStateSaveErrorText) + ": " + path.string() + ": " + result.ErrorText);
      return false;
    case WriteOutcome::WriteFailed:
    case WriteOutcome::CannotReplace:
    case WriteOutcome::NotAFile:
      Messages.ShowMessage(std::string(kStateSaveErrorText) + ": " + path.string() + ": " + result.ErrorText);
      return false;
  }
  return false;
}

bool ProgramState::LoadState(const std::filesystem::path& path) {
  InputFile file(path, state_offset::Size);
  std::vector<std::uint8_t> bytes;
  if (!file.Opened() || !file.ReadAll(bytes)) {
    // A file that is there but could not be read is kept, not overwritten by the close.
    std::error_code ignored;
    KeepAsideBeforeSave =
        std::filesystem::symlink_status(path, ignored).type() != std::filesystem::file_type::not_found;
    Messages.ShowMessage(
        path.string() + std::string(kStateLoadErrorSuffix) + ": " + file.Reason() +
        (KeepAsideBeforeSave ? "; " + KeptAsDamagedText(path) + " when the program closes" : ""));
    return false;
  }
  RestoreProgramState(bytes, Models);
  return true;
}

}  // namespace orvel
