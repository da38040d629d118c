#include "live/live_dashboard.h"

#include "autotune/correction_window.h"
#include "autotune/xrpm_table.h"
#include "live/log.h"
#include "live/log_learning_controls.h"
#include "table/table.h"

namespace orvel {

namespace {

constexpr std::int32_t kLastPoint = 255;

// What TMsgDashData carries (its readings part).
const DashboardReadings& ReadingsOf(const TMsgDashData& message) {
  return message;
}

}  // namespace

std::optional<std::int32_t> MafLimitFollow(std::int32_t highestMaf, bool limitLocked, bool autocorrection,
                                           bool manualBorders) {
  if (limitLocked && !(autocorrection && !manualBorders)) {
    return std::nullopt;
  }
  return kLastPoint - highestMaf;
}

LiveDashboard::LiveDashboard(Log& log, Table& mainTable, XrpmTable& scale, CorrectionWindowModel& window,
                             LogLearningControls* learning)
    : MainTable(mainTable),
      Scale(scale),
      Window(window),
      Learning(learning),
      FromLog(log.SubscribeDashboardSamples(
          [this](const TMsgDashData& message, const SampleValues& newest) { Take(message, newest); })) {}

void LiveDashboard::Take(const TMsgDashData& message, const SampleValues& newest) {
  Window.TakeSample(message.Maf, message.Conv);
  MainTable.SetMaxMafAnyway(Window.HighestMaf());

  Frame.Sample = ReadingsOf(message);
  Frame.TpsPercent = Scale.TpsPercent(message.Tps);
  Frame.Points = {At(newest, Channel::Maf),     At(newest, Channel::Conv), At(newest, Channel::Iat),
                  At(newest, Channel::IatCorr), At(newest, Channel::Ect),  At(newest, Channel::EctCorr)};
  Frame.HighestMaf = Window.HighestMaf();
  Frame.MaxMafText = Window.MaxMafText();
  Frame.OutputText = Window.OutputExtremeText();
  Frame.MafLimitPosition.reset();
  if (Learning != nullptr) {
    const bool autoBorders = Window.Autocorrection() && !Window.ManualBorders();
    Frame.MafLimitPosition = MafLimitFollow(Frame.HighestMaf, Learning->MafLimitLocked(),
                                            Window.Autocorrection(), Window.ManualBorders());
    if (Frame.MafLimitPosition) {
      Learning->SetMafLimitPosition(*Frame.MafLimitPosition, autoBorders);
    }
  }
  Frames.Emit(Frame);
}

}  // namespace orvel
