#pragma once
// Control references of the parameter pages (PARA1, PARA2, TEACH) and the
// main-panel fields that show parameter values.
#include <string>
#include <vector>

#include "ui/types.h"

namespace bx {
namespace ui {
class Ui;
}

struct ParaRefs {
  ui::CtlRef placeholder;
};

void resolveParaRefs(const ui::Ui& ui, ParaRefs& refs, std::vector<std::string>& missing);

}  // namespace bx
