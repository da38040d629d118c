#pragma once

// The program state file "config.cfg": 29 bytes, no header, that keep the
// user's choices between runs (language, oxygen sensor, Toyota mode, Delta,
// O2 reference, throttle scale, averaging sliders, forced-idle thresholds,
// the learned beginning and three values the window only carries along).
// Bytes are unsigned; words are 16-bit big-endian (the low 16 bits written).
//
// Threads: main thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

#include "core/user_messages.h"

namespace orvel {

class CorrectionWindowModel;
class O2ReferenceModel;
struct XrpmTable;

inline constexpr const char* kStateFileName = "config.cfg";
inline constexpr std::string_view kStateSaveErrorText = "Config file save error";
// Follows the file name directly: "config.cfg Config file load error".
inline constexpr std::string_view kStateLoadErrorSuffix = " Config file load error";

// Byte offsets of the fields.
namespace state_offset {
inline constexpr std::size_t Language = 0;
inline constexpr std::size_t SensorType = 1;
inline constexpr std::size_t O2DisplayMode = 2;
inline constexpr std::size_t Toyota = 3;
inline constexpr std::size_t TpsDisplayMode = 4;
inline constexpr std::size_t Delta = 5;
inline constexpr std::size_t RefO2Position = 7;
inline constexpr std::size_t TpsMin = 9;
inline constexpr std::size_t TpsMax = 11;
inline constexpr std::size_t BPosition = 13;
inline constexpr std::size_t TPosition = 15;
inline constexpr std::size_t ForcedIdleRpm = 17;
inline constexpr std::size_t ForcedIdleTps = 19;
inline constexpr std::size_t LearnedBegin = 21;
inline constexpr std::size_t Spare = 23;
inline constexpr std::size_t RememberedB = 25;
inline constexpr std::size_t RememberedT = 27;
inline constexpr std::size_t Size = 29;
}  // namespace state_offset

// The averaging sliders B (1..1000) and T (10..1000) are vertical: the value
// the correction window uses is maximum + minimum - position.
inline constexpr std::int32_t kSliderBMin = 1;
inline constexpr std::int32_t kSliderTMin = 10;
inline constexpr std::int32_t kSliderMax = 1000;
std::int32_t SliderBPosition(std::int32_t avgB);
std::int32_t SliderTPosition(std::int32_t avgT);
std::int32_t AvgBFromPosition(std::int32_t position);
std::int32_t AvgTFromPosition(std::int32_t position);

// What the main window keeps itself, beside its models: the language list's
// position, the two display-mode flags (read and written back, no other
// effect), a spare value, and the B and T slider positions remembered while
// manual borders is on.
struct WindowSettings {
  std::int32_t Language = 0;
  bool O2DisplayMode = true;
  bool TpsDisplayMode = false;
  std::int32_t Spare = 10;
  std::int32_t RememberedB = 1000;
  std::int32_t RememberedT = 1000;
};

// The models whose values the file keeps, and what a restored language or
// sensor position must change in the window.
struct ProgramStateModels {
  CorrectionWindowModel& Correction;
  O2ReferenceModel& Reference;
  XrpmTable& Scale;
  WindowSettings& Window;
  // The language list's change handling (all texts in the chosen language).
  std::function<void(std::int32_t)> LanguageChanged;
  // The sensor list shows the restored position (before its change handling
  // runs on the models); may be empty.
  std::function<void(std::int32_t)> SensorListChanged;
};

using ProgramStateBytes = std::array<std::uint8_t, state_offset::Size>;

// The 29 bytes of the current values, in the file's order.
ProgramStateBytes EncodeProgramState(const ProgramStateModels& models);

// Restores the values in the file's order, each with its change handling:
// language and sensor positions, the sensor change then the language change,
// the flags and the Toyota mode, Delta and the O2 reference (within its
// range), the throttle scale, sliders B and T (within their ranges), the
// forced-idle thresholds, the learned beginning, the spare and remembered
// values. A field that lies (wholly or partly) beyond the end of `bytes`
// keeps its current value.
void RestoreProgramState(std::span<const std::uint8_t> bytes, const ProgramStateModels& models);

// SaveState and LoadState with the file and its messages.
class ProgramState {
 public:
  ProgramState(ProgramStateModels models, UserMessages& messages);

  // Writes the 29 bytes through a temporary file renamed over the old one.
  // A file that cannot be created shows kStateSaveErrorText; any other
  // failure its own text. False when nothing was written.
  bool SaveState(const std::filesystem::path& path);
  // A file that cannot be opened or read, is no regular file or is longer
  // than 29 bytes shows the name followed by kStateLoadErrorSuffix and the
  // reason, and changes nothing. Such a file, when it exists, is kept as
  // "NAME.damaged" by the next SaveState before it writes the new one (the
  // message says so). False in those cases.
  bool LoadState(const std::filesystem::path& path);

 private:
  ProgramStateModels Models;
  UserMessages& Messages;
  bool KeepAsideBeforeSave = false;
};

}  // namespace orvel
