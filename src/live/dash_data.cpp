#include "live/dash_data.h"

namespace orvel {

namespace {

constexpr double kRpmPerPeriod = 1'500'000.0;
constexpr double kTpsFullScaleVolts = 5.0;
constexpr double kTpsFullScaleCount = 255.0;
constexpr int kTpsVoltDecimals = 2;

}  // namespace

std::int32_t RpmOfPeriod(std::int32_t period) {
  if (period == 0) {
    return 1;
  }
  return static_cast<std::int32_t>(RoundHalfEven(kRpmPerPeriod / period));
}

std::string TpsText(std::int32_t tps, NumberFormat format) {
  return std::to_string(tps) + "N" +
         FormatDecimal(tps * kTpsFullScaleVolts / kTpsFullScaleCount, kTpsVoltDecimals, format) + "V";
}

TMsgDashData BuildDashData(const SampleValues& newest, std::int32_t o2Average, std::int32_t sensorType,
                           NumberFormat format, TO2Display& display) {
  TMsgDashData message;
  message.Conv = At(newest, Channel::Conv);
  message.Maf = At(newest, Channel::Maf);
  message.Tps = At(newest, Channel::Tps);
  message.Marker = At(newest, Channel::Marker);
  message.TpsText = TpsText(message.Tps, format);
  message.Rpm = RpmOfPeriod(At(newest, Channel::RpmPeriod));
  message.O2 = o2Average;
  DisplayO2(o2Average, sensorType, format, display);
  message.O2Text = display.Text;
  message.O2PercentText = display.PercentText;
  message.O2Color = display.Color;
  message.O2Gauge = display.Gauge;
  return message;
}

}  // namespace orvel
