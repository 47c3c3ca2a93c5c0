// The desktop tool: start-up of the application shell, the window built
// from the panel model, Qt's loop until the operator leaves, shutdown.
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/startup.h"
#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/quit_signals.h"
#include "gui/renderer.h"
#include "ui/types.h"


namespace {

bool haveDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

// What the window's close button does: the main panel's close event, which
// leaves in the product's order; with no panel yet, just leave.
void requestClose(bx::Context& ctx) {
  const int main = ctx.ui.findPanel("MAIN");
  if (main >= 0 && ctx.ui.panel(main).callback)
    ctx.ui.firePanel(main, bx::ui::EVENT_CLOSE);
  else if (ctx.ui.frontend)
    ctx.ui.frontend->quit();
}

}  // namespace

int main(int argc, char** argv) {
  // The one option: for package managers and the operator's support call;
  // it needs no display.
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::puts("quellan-bx-scope " BX_VERSION);
    return 0;
  }
  if (!haveDisplay()) {
    std::fputs("quellan-bx-scope: no display available (set DISPLAY or run under Xvfb)\n", stderr);
    return 3;
  }
  QApplication app(argc, argv);
#ifdef BX_APP_ID
  // The desktop entry's name: Wayland shells take the window's icon from it.
  QGuiApplication::setDesktopFileName(QStringLiteral(BX_APP_ID));
#endif
  // Leaving is the close callback's decision, never a side effect of a
  // window going away.
  app.setQuitOnLastWindowClosed(false);
  auto ctx = std::make_unique<bx::Context>();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // The main panel is centred on this area when its placement is reset.
    const QRect free = screen->availableGeometry();
    ctx->app.screenLeft = free.x();
    ctx->app.screenTop = free.y();
    ctx->app.screenWidth = free.width();
    ctx->app.screenHeight = free.height();
  }
  bx::gui::QtFrontend frontend(*ctx);
  ctx->ui.frontend = &frontend;
  bx::Context& context = *ctx;
  bx::gui::QuitSignals quitSignals([&context] { requestClose(context); });

  std::string error;
  if (bx::AppStartup(*ctx, error) < 0) {
    std::fprintf(stderr, "quellan-bx-scope: %s\n", error.c_str());
    ctx->ui.frontend = nullptr;
    return -1;
  }
  {
    bx::gui::RendererOptions options;
    options.resourceDir = ctx->app.resourceDir;
    bx::gui::Renderer renderer(ctx->ui, options);
    frontend.attach(&renderer);
    if (bx::gui::MainWindow* w = renderer.mainWindow()) {
      w->show();
      w->activateWindow();
    }
    if (!frontend.quitRequested()) app.exec();
    bx::AppShutdown(*ctx);
    frontend.attach(nullptr);
  }
  ctx->ui.frontend = nullptr;
  return 0;
}
