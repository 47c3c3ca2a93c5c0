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
#include "gui/renderer.h"


namespace {

bool haveDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!haveDisplay()) {
    std::fputs("quellan-bx-scope: no display available (set DISPLAY or run under Xvfb)\n", stderr);
    return 3;
  }
  QApplication app(argc, argv);
  // Leaving is the close callback's decision, never a side effect of a
  // window going away.
  app.setQuitOnLastWindowClosed(false);
  auto ctx = std::make_unique<bx::Context>();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // The main panel is centred on this area when its placement is reset.
    ctx->app.screenWidth = screen->availableGeometry().width();
    ctx->app.screenHeight = screen->availableGeometry().height();
  }
  bx::gui::QtFrontend frontend(*ctx);
  ctx->ui.frontend = &frontend;

  std::string error;
  if (bx::AppStartup(*ctx, error) < 0) {
    std::fprintf(stderr, "quellan-bx-scope: %s\n", error.c_str());
    ctx->ui.frontend = nullptr;
    return -1;
  }
  {
    bx::gui::RendererOptions options;
    options.resourceDir = ctx->app.projectDir.empty() ? bx::ExecutableDir() : ctx->app.projectDir;
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
