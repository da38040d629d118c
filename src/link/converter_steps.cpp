#include "link/converter_steps.h"

#include <memory>
#include <utility>

namespace orvel {

void QueryContactlessSensor(const TDeviceInfo& device, ContactlessSensor& sensor, SensorQueryView& view) {
  if (device.DeviceId != kContactlessDevice) {
    return;
  }
  view.ShowContactlessDevice(device);
  if (const auto settings = sensor.Query(device)) {
    view.ShowSensorSettings(*settings);
  }
}

PortSelectionSteps ConverterSteps(std::function<void()> readAction, DeviceIdentification& identification,
                                  ContactlessSensor& sensor, SensorQueryView& view, SleepFunction sleep) {
  // The identification step hands its result to the sensor step.
  auto found = std::make_shared<TDeviceInfo>();
  PortSelectionSteps steps;
  steps.ReadFromConverter = std::move(readAction);
  steps.IdentifyFirmware = [&identification, found] {
    *found = identification.Identify();
    return found->FwText;
  };
  steps.QueryContactlessSensor = [&sensor, &view, found] { QueryContactlessSensor(*found, sensor, view); };
  steps.Sleep = std::move(sleep);
  return steps;
}

}  // namespace orvel
