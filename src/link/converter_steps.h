#pragma once

// Wires the converter operations into the port selection procedure: the read
// action, the identification and the contactless-sensor query, in that order.

#include <functional>

#include "link/contactless_sensor.h"
#include "link/device_info.h"
#include "link/link_timing.h"
#include "link/port_selection.h"

namespace orvel {

// What the contactless-sensor query shows in the window.
class SensorQueryView {
 public:
  virtual ~SensorQueryView() = default;
  // A converter of the contactless kind: show the hardware and oscillator
  // labels (HardwareLabelText, OscillatorLabelText) and hide the end-switch
  // inversion controls.
  virtual void ShowContactlessDevice(const TDeviceInfo& device) = 0;
  // A full "sy" reply: show the settings group with these settings.
  virtual void ShowSensorSettings(const ContactlessSettings& settings) = 0;

 protected:
  SensorQueryView() = default;
  SensorQueryView(const SensorQueryView&) = default;
  SensorQueryView& operator=(const SensorQueryView&) = default;
};

// The query after an identification, on the connect's worker: nothing for
// other kinds of converter; a short reply shows nothing and reports nothing.
// The view is shown on the main thread.
void QueryContactlessSensor(const TDeviceInfo& device, ContactlessSensor& sensor, SensorQueryView& view,
                            const LinkJobContext& context, const SleepFunction& sleep);

// The steps for PortSelection. `readStep` stops live data, reads the table
// and reports its own errors. The sensor query uses the device found by that
// same identification. The identification and the sensor models are the
// job's while it runs: the main thread starts no exchange of its own then.
// An empty `sleep` waits out the sensor's reply time as the job sleeps.
PortSelectionSteps ConverterSteps(std::function<void(const LinkJobContext&)> readStep,
                                  DeviceIdentification& identification, ContactlessSensor& sensor,
                                  SensorQueryView& view, SleepFunction sleep = {});

}  // namespace orvel
