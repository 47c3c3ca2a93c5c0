#include "params/callbacks.h"

namespace bx {

const ui::CallbackEntry* ParamCallbacks(size_t& count) {
  count = 0;
  return nullptr;
}

}  // namespace bx
