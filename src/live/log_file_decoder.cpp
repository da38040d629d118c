#include "live/log_file_decoder.h"

#include <algorithm>
#include <array>

namespace orvel {

namespace {

std::int32_t SignedMagnitude(std::uint8_t magnitude, std::uint8_t sign) {
  return sign != 0 ? -std::int32_t{magnitude} : std::int32_t{magnitude};
}

LogFileLayout LayoutOf(std::span<const std::uint8_t> header) {
  const bool hasSignature =
      std::equal(kLogSignature.begin(), kLogSignature.end(), header.begin() + kLogSignatureOffset);
  return hasSignature && header[kLogVersionOffset] == kLogLayoutVersion ? LogFileLayout::Current
                                                                        : LogFileLayout::Older;
}

bool StoresChannel(Channel channel) {
  return channel != Channel::IatCorr && channel != Channel::EctCorr;
}

}  // namespace

LogFileDecoder::LogFileDecoder(std::size_t expectedBytes) : Expected(expectedBytes) {
  Header.reserve(kOlderLogHeaderSize);
}

std::size_t LogFileDecoder::HeaderSize() const {
  return Contents.Layout == LogFileLayout::Current ? kLogHeaderSize : kOlderLogHeaderSize;
}

std::size_t LogFileDecoder::RecordSize() const {
  return Contents.Layout == LogFileLayout::Current ? kLogRecordSize : kOlderLogRecordSize;
}

bool LogFileDecoder::TakeHeader(std::span<const std::uint8_t>& bytes) {
  // The first 15 bytes tell the layout, and with it the header's length.
  const std::size_t wanted = Header.size() < kLogHeaderSize ? kLogHeaderSize : HeaderSize();
  const std::size_t taken = std::min(wanted - Header.size(), bytes.size());
  Header.insert(Header.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
  bytes = bytes.subspan(taken);
  if (Header.size() < wanted) {
    return false;
  }
  if (wanted == kLogHeaderSize) {
    Contents.Layout = LayoutOf(Header);
    Contents.FileTps = {Header[0], Header[1]};
    if (HeaderSize() > Header.size()) {
      return TakeHeader(bytes);
    }
  }
  HeaderDone = true;
  if (Expected > HeaderSize()) {
    Contents.Channels.Reserve((Expected - HeaderSize()) / RecordSize());
  }
  return true;
}

void LogFileDecoder::Feed(std::span<const std::uint8_t> bytes) {
  Total += bytes.size();
  if (!HeaderDone && !TakeHeader(bytes)) {
    return;
  }
  const std::size_t recordSize = RecordSize();
  if (!Partial.empty()) {
    const std::size_t taken = std::min(recordSize - Partial.size(), bytes.size());
    Partial.insert(Partial.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    bytes = bytes.subspan(taken);
    if (Partial.size() < recordSize) {
      return;
    }
    DecodeRecords(Partial);
    Partial.clear();
  }
  const std::size_t whole = bytes.size() / recordSize * recordSize;
  DecodeRecords(bytes.first(whole));
  Partial.assign(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end());
}

void LogFileDecoder::DecodeRecords(std::span<const std::uint8_t> records) {
  const bool current = Contents.Layout == LogFileLayout::Current;
  const std::size_t recordSize = RecordSize();
  const std::size_t count = records.size() / recordSize;
  if (count == 0) {
    return;
  }
  LogChannels& channels = Contents.Channels;
  const std::size_t at = channels.SampleCount();
  // The older layout's remaining channels stay 0 from the resize.
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    const auto channel = static_cast<Channel>(c);
    if (StoresChannel(channel)) {
      channels.Sequence(channel).resize(at + count);
    }
  }
  std::array<std::int32_t*, kLogChannelCount> out{};  // the first new value of each stored channel
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    if (StoresChannel(static_cast<Channel>(c))) {
      out[c] = channels.Of(static_cast<Channel>(c)).data() + at;
    }
  }
  const std::uint8_t* record = records.data();
  for (std::size_t i = 0; i < count; ++i, record += recordSize) {
    const auto value = [&out, i](Channel channel) -> std::int32_t& { return out[ChannelIndex(channel)][i]; };
    value(Channel::Conv) = record[0];
    value(Channel::Marker) = record[1];
    value(Channel::OutputSum) = record[2];
    value(Channel::Maf) = record[3];
    value(Channel::Tps) = record[4];
    value(Channel::RpmPeriod) = record[5] * 256 + record[6];
    value(Channel::O2) = record[7];
    if (current) {
      value(Channel::Corr) = SignedMagnitude(record[8], record[9]);
      value(Channel::Iat) = record[10];
      value(Channel::Ect) = record[11];
      value(Channel::O2Smooth) = record[12];
      value(Channel::LogCorr) = SignedMagnitude(record[13], record[14]);
    }
  }
}

std::optional<LogFileContents> LogFileDecoder::Finish(std::string& reason) {
  auto tooShort = [this, &reason](std::string_view what) {
    reason = "the file is too short (" + std::to_string(Total) + " bytes): " + std::string(what);
    return std::nullopt;
  };
  if (!HeaderDone) {
    return tooShort("it has no complete header");
  }
  if (Contents.Channels.SampleCount() == 0) {
    return tooShort("it holds no complete sample");
  }
  // Room reserved for a file that turned out shorter is given back.
  for (std::size_t c = 0; c < kLogChannelCount; ++c) {
    auto& values = Contents.Channels.Sequence(static_cast<Channel>(c));
    if (values.capacity() > values.size()) {
      values.shrink_to_fit();
    }
  }
  return std::move(Contents);
}

}  // namespace orvel
