#include "gui/quit_signals.h"

namespace bx::gui {

// The desktop tool is a windowed program on Windows: no console, so no
// Ctrl-C or termination signal ever reaches it. Closing the window and the
// end of the Windows session reach Qt's loop as close events; nothing is
// watched here, and active() says so.
QuitSignals::QuitSignals(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {}

QuitSignals::~QuitSignals() = default;

void QuitSignals::readSignal() {}

}  // namespace bx::gui
