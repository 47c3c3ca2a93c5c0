#pragma once
// Callbacks of the application shell: main panel, menus, language, help,
// settings.
#include <cstddef>

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* AppCallbacks(size_t& count);

}  // namespace bx
