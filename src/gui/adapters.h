#pragma once
// Constructors of the adapters, one group per file.
#include <QColor>
#include <memory>

#include "gui/adapter.h"

namespace bx::gui {

std::unique_ptr<ControlAdapter> makeBasicAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env);
std::unique_ptr<ControlAdapter> makeTableAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeGraphAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeStripAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeTabAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env);

inline QColor toQColor(ui::Color c, int alpha = 255) { return QColor(c.r, c.g, c.b, alpha); }

}  // namespace bx::gui
