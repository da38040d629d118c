#include "table/history_load.h"

#include <utility>

#include "table/history_file.h"

namespace orvel {

BackgroundHistoryLoad::BackgroundHistoryLoad(std::filesystem::path path, std::size_t capacity,
                                             MainThreadCall handOver, std::function<void()> land)
    : Path(std::move(path)),
      Decoded(capacity),
      Worker([this, handOver = std::move(handOver), land = std::move(land)](std::stop_token stop) {
        Decode(std::move(stop), handOver, land);
      }) {}

void BackgroundHistoryLoad::Decode(std::stop_token stop, const MainThreadCall& handOver,
                                   const std::function<void()>& land) {
  FileLoaded = LoadHistoryFile(Path, Decoded, Found, &FileDamaged);
  // A stop asked for meanwhile means the main thread takes the outcome
  // itself (or drops it): the hand-over is not queued at all.
  if (!stop.stop_requested()) {
    handOver(land, std::move(stop));
  }
}

void BackgroundHistoryLoad::Wait() {
  if (Worker.joinable()) {
    Worker.request_stop();
    Worker.join();
  }
}

}  // namespace orvel
