#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

#include "live/log.h"

namespace orvel::test {

// Records `count` samples into `log` as a live run would: sample(i) gives the
// fourteen values of sample i.
inline void Record(Log& log, std::int64_t count, const std::function<SampleValues(std::int64_t)>& sample) {
  log.BeginRecording();
  for (std::int64_t i = 0; i < count; ++i) {
    log.AppendSample(sample(i));
  }
  log.EndRecording();
}

// A sample whose every channel holds `value`.
inline SampleValues Filled(std::int32_t value) {
  SampleValues sample{};
  sample.fill(value);
  return sample;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder()
      : Path(std::filesystem::temp_directory_path() /
             ("orvel_live_" + std::to_string(::getpid()) + "_" + std::to_string(Counter++))) {
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return Path / name; }

 private:
  static inline int Counter = 0;
  std::filesystem::path Path;
};

}  // namespace orvel::test
