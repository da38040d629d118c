#pragma once

// The arrow keys' algorithms of the dashboard, the table page and the log
// page. A step at either end of a slider's or an up-down's range changes
// nothing and runs no change handling.

#include "ui/keys/key_table.h"

namespace orvel::ui {

// The seven parameter sliders of the table page, in function-key order.
void StepTableSlider(KeyContext& context, int functionKey, int step);

void DashboardLeftRight(KeyContext& context, const KeyStroke& stroke);
void DashboardUpDown(KeyContext& context, const KeyStroke& stroke);
void TableLeftRight(KeyContext& context, const KeyStroke& stroke);
void TableUpDown(KeyContext& context, const KeyStroke& stroke);
void LogUpDown(KeyContext& context, const KeyStroke& stroke);

// Key-up of Left/Right on the dashboard: the border sliders take the
// window the keys moved on the table.
void DashboardBordersFromTable(KeyContext& context);

}  // namespace orvel::ui
