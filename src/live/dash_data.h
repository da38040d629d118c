#pragma once

// The dashboard message of one timer tick, built from the newest sample.

#include <cstdint>
#include <string>

#include "autotune/o2_sensor.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "live/log_channels.h"

namespace orvel {

// Engine speed of a period: 1 500 000 / period rounded half to even; a
// period of 0 counts as 1 500 000, so it gives 1.
std::int32_t RpmOfPeriod(std::int32_t period);

// The raw throttle count, "N", its voltage (count x 5 / 255, two decimals,
// shortest form) and "V": 128 gives "128N2.51V".
std::string TpsText(std::int32_t tps, NumberFormat format);

// The message for the newest sample and the O2 average. `display` carries
// the O2 display from tick to tick: a model that shows nothing for a value
// keeps what the previous tick showed.
TMsgDashData BuildDashData(const SampleValues& newest, std::int32_t o2Average, std::int32_t sensorType,
                           NumberFormat format, TO2Display& display);

}  // namespace orvel
