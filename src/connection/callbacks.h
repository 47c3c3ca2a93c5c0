#pragma once
// Callbacks of the connection page.
#include <cstddef>

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* ConnectionCallbacks(size_t& count);

}  // namespace bx
