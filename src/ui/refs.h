#pragma once
// Resolving the control names that core code uses into references, once.
#include <string>
#include <vector>

#include "ui/ui.h"

namespace bx::ui {

struct RefSpec {
  const char* panel;
  const char* control;
  CtlRef* ref;
};

// Resolves every entry; names the resource lacks are added to missing.
inline void resolveRefs(const Ui& ui, const RefSpec* specs, size_t count, std::vector<std::string>& missing) {
  for (size_t i = 0; i < count; ++i) {
    *specs[i].ref = ui.find(specs[i].panel, specs[i].control);
    if (!specs[i].ref->valid()) missing.push_back(std::string(specs[i].panel) + "." + specs[i].control);
  }
}

}  // namespace bx::ui
