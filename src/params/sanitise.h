#pragma once
// Bringing a received parameter set into the accepted ranges, and the
// working values taken from the active teach row.
#include <cstdint>

#include "params/state.h"

namespace bx::param {

// Every rule in the order the sensor family expects; pixelCount is N of the
// connected model, calibHwType the calibration record's hardware type.
void Sanitise(ParamState& p, int pixelCount, uint32_t calibHwType);
// Copies the active row (Eval-Program) into the working values; an
// evaluation mode of 3 or more becomes 0 and is written to Eval-Mode.
void RefreshWorkingValues(ParamState& p);
// Dirt-alert level and the flat threshold and dirt lines of the video graph.
void RefreshDerivedValues(ParamState& p, int videoFullScale);
// The two models whose analogue output only knows voltage.
bool VoltageOnlyModel(uint32_t hwType);

}  // namespace bx::param
