#pragma once
// The parameter set and teach table the tool starts with, and a model's own
// evaluation range, set-point and tolerances laid over them.
#include <cstdint>

#include "params/state.h"

namespace bx::param {

// The start values of every field (teach table all zero).
void SetStartValues(SetBytes& set, TeachBytes& teach);

// The catalogue's evaluation range, set-point and tolerances of hwType (its
// twin of the other brand included) in the parameter set and every teach
// row; a type the catalogue does not know changes nothing. False then.
bool ApplyModelDefaults(SetBytes& set, TeachBytes& teach, uint32_t hwType);

// The factory defaults of a connected model: the start values with the
// model's own defaults laid over them, brought into range for pixelCount
// pixels and the calibration record's hardware type as after a GET.
void FactoryDefaults(SetBytes& set, TeachBytes& teach, uint32_t hwType, int pixelCount, uint32_t calibHwType);

}  // namespace bx::param
