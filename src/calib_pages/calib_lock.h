#pragma once
// The calibration lock: the calibration controls of the settings,
// two-point and distance pages stay dimmed until a service user opens them
// with a hidden gesture; the same lock decides whether the parameter and
// hardware info files carry the calibration record. The lookup-table
// controls and the service fields of the settings page are shown only on
// request.
//
// Results: the panel callbacks (CC_...) return 0 to the dispatcher.
#include <string>
#include <vector>

#include "ui/ui.h"

namespace bx {

// Finds the lock's controls once; a control the resource lacks is added to
// `missing` by its name.
void ResolveCalibLock(Context& ctx, std::vector<std::string>& missing);

// Dims, enables, shows and hides the calibration controls after the lock,
// the step each page is at and what the service user asked to see.
void ShowCalibControls(Context& ctx);

// Right double-click on the calibration text: lock or unlock.
int CC_TEXTcalibration(Context& ctx, const ui::EventArgs& ev);
// Lookup switch: on shows the lookup-table controls, off hides them and
// locks the calibration again.
int CC_TOGGlookup(Context& ctx, const ui::EventArgs& ev);
// Right double-click on the information box while unlocked: the service
// fields of the settings page shown or hidden.
int CC_TBoxCalib(Context& ctx, const ui::EventArgs& ev);
// Service-field switch (operable while unlocked): the service fields shown
// or hidden as the switch stands.
int CC_BIN_RES(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
