#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/user_messages.h"
#include "table/undo_history.h"

namespace orvel {

// Runs `call` on the main thread and blocks until it has returned; gives up,
// dropping the call, once `stop` is triggered before the call began. True
// when the call ran. The shape of MainThreadDispatcher::RunAndWait.
using MainThreadCall = std::function<bool(std::function<void()> call, std::stop_token stop)>;

// The undo history file decoded on a worker thread into a history of its
// own. When the decode is done, the worker hands `land` to the main thread
// and waits until it has run; `land` takes the outcome. A main thread that
// needs the outcome earlier calls Wait, which drops the hand-over if it has
// not begun and joins the worker (the decode is bounded: some 65 ms for a
// full history). Destroying the load before it was taken drops it the same way.
class BackgroundHistoryLoad {
 public:
  BackgroundHistoryLoad(std::filesystem::path path, std::size_t capacity, MainThreadCall handOver,
                        std::function<void()> land);
  BackgroundHistoryLoad(const BackgroundHistoryLoad&) = delete;
  BackgroundHistoryLoad& operator=(const BackgroundHistoryLoad&) = delete;

  // Main thread, never inside `land`: the decode has finished afterwards.
  void Wait();

  // Main thread, inside `land` or after Wait: whether the file replaced the
  // staged history, the staged history and what the user is to be told.
  [[nodiscard]] bool Loaded() const { return FileLoaded; }
  // The file exists but could not be read or was damaged.
  [[nodiscard]] bool Damaged() const { return FileDamaged; }
  UndoHistory& Staged() { return Decoded; }
  [[nodiscard]] const std::vector<std::string>& Messages() const { return Found.Texts; }

 private:
  void Decode(std::stop_token stop, const MainThreadCall& handOver, const std::function<void()>& land);

  const std::filesystem::path Path;
  // Written by the worker before it hands over or ends; read by the main
  // thread only inside the hand-over or after joining the worker. The
  // dispatcher's queue lock and the join order the two.
  UndoHistory Decoded;
  RecordedMessages Found;
  bool FileLoaded = false;
  bool FileDamaged = false;
  // Last: stopped and joined before the members it writes go.
  std::jthread Worker;
};

}  // namespace orvel
