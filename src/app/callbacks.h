#pragma once
// The table of every callback the panel resource can name.
#include <cstddef>

#include "ui/ui.h"

namespace bx {

const ui::CallbackEntry* CallbackTable(size_t& count);

}  // namespace bx
