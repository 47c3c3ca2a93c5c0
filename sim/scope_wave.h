#pragma once
// The waveform of a scope record: the line as measured, and around the
// trigger the event that fired it, so a triggered record shows its edge
// crossing the trigger level at the pretrigger sample.
#include <cstdint>
#include <vector>

namespace bx::sim {

// valuesUm: the measured values of the record's samples, replaced in place.
// mode: 0 single shot (left as measured), 1 rising or 2 falling crossing of
// levelPercent of rangeUm, 3 a part passing the beam while input IN0 is
// high. The measured noise rides on the event.
void shapeScopeEvent(std::vector<int32_t>& valuesUm, int mode, int levelPercent, int pretrigger, int32_t rangeUm);

}  // namespace bx::sim
