#pragma once
// Constructors of the adapters, one group per file.
#include <QColor>
#include <QRect>

class QPainter;
#include <memory>

#include "gui/adapter.h"

namespace bx::gui {

std::unique_ptr<ControlAdapter> makeBasicAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env);
std::unique_ptr<ControlAdapter> makeTableAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeGraphAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeStripAdapter(ui::Ui& ui, ui::CtlRef ref);
std::unique_ptr<ControlAdapter> makeTabAdapter(ui::Ui& ui, ui::CtlRef ref, const BuildEnv& env);

inline QColor toQColor(ui::Color c, int alpha = 255) { return QColor(c.r, c.g, c.b, alpha); }

// The edited mark: a small corner triangle in a colour no state of the
// product uses (amber), drawn into the top left corner of rect.
void paintEditedMark(QPainter& p, const QRect& rect);

}  // namespace bx::gui
