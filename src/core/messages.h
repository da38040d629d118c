#pragma once

// The message records that travel over the bus. Every record starts with its
// identifier `Msg`; a sender builds the record on its stack and hands it over
// by reference, a receiver reads it during the call and never keeps it.

#include <cstdint>
#include <string>

namespace orvel {

// A 24-bit RGB colour held in a 32-bit field: 0xRRGGBB.
using TColorRgb = std::uint32_t;

constexpr TColorRgb Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (TColorRgb{red} << 16U) | (TColorRgb{green} << 8U) | TColorRgb{blue};
}

struct TMessage {
  const std::uint32_t Msg;

 protected:
  explicit constexpr TMessage(std::uint32_t id) : Msg(id) {}
};

// Start of live data, with the oxygen sensor model chosen for the run (0..4).
struct TMsgLogStart : TMessage {
  static constexpr std::uint32_t Id = 32771;
  std::int32_t O2SensorType = 0;
  TMsgLogStart() : TMessage(Id) {}
};

// End of live data (the user's Stop, or the stream failed).
struct TMsgLogStop : TMessage {
  static constexpr std::uint32_t Id = 32772;
  TMsgLogStop() : TMessage(Id) {}
};

// The user chose a serial port; the link opens it.
struct TMsgSetComPort : TMessage {
  static constexpr std::uint32_t Id = 32773;
  std::string Port;
  TMsgSetComPort() : TMessage(Id) {}
};

// The newest live sample's gauges and their texts, as the dashboard shows
// them.
struct DashboardReadings {
  std::int32_t Conv = 0;
  std::int32_t Maf = 0;
  std::int32_t Tps = 0;
  std::int32_t Marker = 0;
  std::string TpsText;
  std::int32_t Rpm = 0;
  std::int32_t O2 = 0;
  std::string O2Text;
  std::string O2PercentText;
  TColorRgb O2Color = 0;
  std::int32_t O2Gauge = 0;
};

// The newest live sample as the dashboard shows it.
struct TMsgDashData : TMessage, DashboardReadings {
  static constexpr std::uint32_t Id = 32774;
  TMsgDashData() : TMessage(Id) {}
};

// The autocorrection decision of one dashboard tick.
struct TMsgCorrAdvice : TMessage {
  static constexpr std::uint32_t Id = 32775;
  std::int32_t MafBeg = 0;
  std::int32_t MafEnd = 0;
  std::int32_t CorrStep = 0;
  std::uint8_t ApplyToTable = 0;
  TColorRgb StateColor = 0;
  std::uint8_t ResetCorr = 0;
  TMsgCorrAdvice() : TMessage(Id) {}
};

// The user picked a table point on the dashboard chart.
struct TMsgWindowPoint : TMessage {
  static constexpr std::uint32_t Id = 32777;
  std::uint32_t ClearWindow = 0;  // only the low byte is tested
  std::int32_t Point = 0;
  TMsgWindowPoint() : TMessage(Id) {}
};

// The record behind `message` when its identifier is T's, else nullptr. The
// identifier is fixed by the record's constructor, so the cast is safe.
template <class T>
const T* MessageAs(const TMessage& message) {
  return message.Msg == T::Id ? static_cast<const T*>(&message) : nullptr;
}

}  // namespace orvel
