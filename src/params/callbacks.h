#pragma once
// Callbacks of the parameter pages and parameter transfer.
#include <cstddef>

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* ParamCallbacks(size_t& count);

}  // namespace bx
