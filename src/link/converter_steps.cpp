#include "link/converter_steps.h"

#include <memory>
#include <utility>

namespace orvel {

void QueryContactlessSensor(const TDeviceInfo& device, ContactlessSensor& sensor, SensorQueryView& view,
                            const LinkJobContext& context, const SleepFunction& sleep) {
  if (device.DeviceId != kContactlessDevice) {
    return;
  }
  context.OnMain([&] { view.ShowContactlessDevice(device); });
  const SleepFunction pause =
      sleep ? sleep : [&context](std::chrono::milliseconds time) { context.Sleep(time); };
  if (const auto settings = sensor.Query(device, pause, context.Stop())) {
    context.OnMain([&] { view.ShowSensorSettings(*settings); });
  }
}

PortSelectionSteps ConverterSteps(std::function<void(const LinkJobContext&)> readStep,
                                  DeviceIdentification& identification, ContactlessSensor& sensor,
                                  SensorQueryView& view, SleepFunction sleep) {
  // The identification step hands its result to the sensor step.
  auto found = std::make_shared<TDeviceInfo>();
  PortSelectionSteps steps;
  steps.ReadFromConverter = std::move(readStep);
  steps.IdentifyFirmware = [&identification, found](const LinkJobContext& context) {
    *found = identification.Identify(context.Stop());
    return found->FwText;
  };
  steps.QueryContactlessSensor = [&sensor, &view, found, sleep](const LinkJobContext& context) {
    QueryContactlessSensor(*found, sensor, view, context, sleep);
  };
  steps.Sleep = std::move(sleep);
  return steps;
}

}  // namespace orvel
