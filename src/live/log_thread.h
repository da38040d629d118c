#pragma once

// TLogThread: the live-data reader. It reads the converter's 10-byte frames
// through the serial link, checks each one, keeps the stream aligned by
// dropping one byte after every failed frame, decodes good frames and appends
// them to the log model. It ends on a terminate request, when the converter
// goes silent for a read time-out, after 200 consecutive failed frames, or on
// a serial port error; in the last three cases it hands the stop message (and
// the error's text) to the main thread and waits until they were handled.
//
// Lifetime: the log model creates it in Start and asks it to terminate in
// Stop without waiting. The object is destroyed (joined) later on the main
// thread: before the next run, before the port is closed, and with the log.
// It must never be destroyed from inside a call it handed to the main thread.

#include <cstdint>
#include <span>
#include <stop_token>
#include <thread>

#include "live/live_frame.h"

namespace orvel {

class Log;
class MainThreadDispatcher;
class TOrvelBroadcaster;
class TRXTX;
class UserMessages;

// What the reader reaches through the log model that created it.
struct LogThreadLinks {
  TRXTX& Link;
  Log& TargetLog;
  TOrvelBroadcaster& Bus;  // main thread only: the stop message
  MainThreadDispatcher& Dispatcher;
  UserMessages& Messages;  // main thread only: error texts
  LiveStreamState& Stream;
};

class TLogThread {
 public:
  // More consecutive failed frames than this end the run.
  static constexpr int MaxCheckFailures = FrameAligner::MaxCheckFailures;

  // Starts the thread at once, with the run's O2 sensor model.
  TLogThread(const LogThreadLinks& links, std::int32_t sensorType);
  // Requests termination and joins.
  ~TLogThread();
  TLogThread(const TLogThread&) = delete;
  TLogThread& operator=(const TLogThread&) = delete;

  // A read under way ends at once, and the thread ends after it without
  // handing anything over.
  void RequestTerminate() { Thread.request_stop(); }
  // Waits for the thread's end. Main thread, never from a dispatched call.
  void Join();

 private:
  void Run(const std::stop_token& stop);
  // One frame; false when the run ends.
  bool FrameStep(const std::stop_token& stop);
  // Waits for PortFree, takes the port for one read and frees it again.
  std::size_t ReadFromPort(std::span<std::uint8_t> buffer, const std::stop_token& stop);
  void HandOverStop(const std::stop_token& stop);
  void HandOverText(const std::string& text, const std::stop_token& stop);

  LogThreadLinks Links;
  const std::int32_t SensorType;
  FrameAligner Aligner;  // reader thread only
  std::jthread Thread;   // last: started once everything it uses exists
};

}  // namespace orvel
