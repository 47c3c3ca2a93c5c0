#include "app/app_callbacks.h"

namespace bx {

const ui::CallbackEntry* AppCallbacks(size_t& count) {
  count = 0;
  return nullptr;
}

}  // namespace bx
