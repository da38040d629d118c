// The log file reader, both layouts, as the window opens a log: read,
// decoded and prepared for drawing on a worker, then shown. Any bytes load or
// are refused with a message, never a fault. A loaded log has one sample per
// complete record in every channel but the two the file never stores, its
// prepared summary agrees with the channels, and saving it and loading the
// saved bytes gives the same channels.

#include "core/user_messages.h"
#include "fuzz_input.h"
#include "live/log.h"
#include "live/log_file.h"
#include "live/log_summary.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::MemoryFile file;
  RecordedMessages messages;
  auto prepared = ReadPreparedLog(file.Hold({data, size}), messages);
  if (!prepared) {
    fuzz::Require(messages.Texts.size() == 1, "a refused log file says why, once");
    return 0;
  }
  const LogFileContents* contents = &prepared->Contents;
  const std::size_t all = contents->Channels.SampleCount();
  for (std::size_t s = 0; s < kLogDataSeriesCount; ++s) {
    const auto series = static_cast<LogSeries>(s);
    if (series == LogSeries::Tab) {
      continue;
    }
    fuzz::Require(prepared->Summary.Span(contents->Channels, series, 0, all) ==
                      SeriesSpanOf(contents->Channels, series, 0, all),
                  "the prepared summary spans what the channels hold");
  }
  fuzz::Require(prepared->Bounds.MaxMafInLog == LogBoundsOf(contents->Channels).MaxMafInLog,
                "the prepared bounds are the channels' own");
  const bool current = contents->Layout == LogFileLayout::Current;
  const std::size_t header = current ? kLogHeaderSize : kOlderLogHeaderSize;
  const std::size_t record = current ? kLogRecordSize : kOlderLogRecordSize;
  fuzz::Require(size >= header + record, "a loaded log had a header and a record");
  const std::size_t samples = (size - header) / record;
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    const auto channel = static_cast<Channel>(c);
    const bool neverStored = channel == Channel::IatCorr || channel == Channel::EctCorr;
    fuzz::Require(contents->Channels.Of(channel).size() == (neverStored ? 0 : samples),
                  "every channel holds one value per complete record");
  }

  std::string reason;
  const auto again = DecodeLogFile(EncodeLogFile(contents->Channels, samples, contents->FileTps), reason);
  fuzz::Require(again.has_value() && again->Layout == LogFileLayout::Current, "a saved log loads");
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    const auto channel = static_cast<Channel>(c);
    const auto before = contents->Channels.Of(channel);
    const auto after = again->Channels.Of(channel);
    fuzz::Require(std::equal(before.begin(), before.end(), after.begin(), after.end()),
                  "saving and loading keeps every value");
  }

  // Shown, the log becomes the file's samples and the previous log goes back
  // to the caller. One log for the run, as the window has one.
  static RecordedMessages shownMessages;
  static Log shown(shownMessages);
  const std::size_t before = shown.SampleCount();
  fuzz::Require(shown.ShowLoaded(*prepared), "a prepared log is shown");
  fuzz::Require(shown.SampleCount() == samples && prepared->Contents.Channels.SampleCount() == before,
                "showing swaps the prepared log in");
  return 0;
}
