#pragma once
// The real tool's window for front-end tests: start-up of the application
// shell (without opening a link) in a project directory of its own, holding
// copies of the resources, so settings written by a test stay there.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app.h"
#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/gui_input.h"
#include "gui/renderer.h"
#include "ui/headless.h"

namespace guitest {

class AppWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/bx_gui_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    for (const auto& e : fs::directory_iterator(bx::ExecutableDir())) {
      auto ext = e.path().extension().string();
      if (ext == ".uir" || ext == ".lwl" || ext == ".ico" || ext == ".bmp" || ext == ".txt")
        fs::copy_file(e.path(), fs::path(dir) / e.path().filename());
    }
    ctx = std::make_unique<bx::Context>();
    // The screen the tool centres its window on, as the executable does.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect free = screen->availableGeometry();
      ctx->app.screenLeft = free.x();
      ctx->app.screenTop = free.y();
      ctx->app.screenWidth = free.width();
      ctx->app.screenHeight = free.height();
    }
    frontend = std::make_unique<bx::gui::QtFrontend>(*ctx);
    // Pop-ups are answered by the script, never by a modal dialog.
    frontend->setPopupDelegate(&popups);
    ctx->ui.frontend = frontend.get();
    std::string err;
    bx::StartOptions opts;
    opts.openLink = false;
    ASSERT_EQ(bx::AppStartup(*ctx, err, dir, opts), 0) << err;
    bx::gui::RendererOptions ro;
    ro.resourceDir = dir;
    renderer = std::make_unique<bx::gui::Renderer>(ctx->ui, ro);
    frontend->attach(renderer.get());
    renderer->mainWindow()->show();
  }

  void TearDown() override {
    if (ctx) bx::AppShutdown(*ctx);
    if (frontend) frontend->attach(nullptr);
    renderer.reset();
    if (ctx) ctx->ui.frontend = nullptr;
    frontend.reset();
    ctx.reset();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }

  // The operator's way to a sensor on TCP: transport ring, address, port,
  // "Try to connect".
  void connectOverTcp(int port) {
    auto* transport = widget<QComboBox>("CONN", "COM_TYPE");
    transport->setCurrentIndex(1);
    emit transport->activated(1);
    renderer->repaint();
    auto* addr = widget<QComboBox>("CONN", "IPADDR");
    addr->lineEdit()->clear();
    guitest::type(addr->lineEdit(), "127.0.0.1");
    auto* tcpPort = widget<QLineEdit>("CONN", "TCPPORT");
    tcpPort->clear();
    guitest::type(tcpPort, QString::number(port));
    guitest::click(widget<QPushButton>("CONN", "TRY_CONNECT"));
  }

  bx::ui::CtlRef ref(const char* panel, const char* control) const { return ctx->ui.find(panel, control); }
  template <class W>
  W* widget(const char* panel, const char* control) const {
    auto* w = qobject_cast<W*>(renderer->widget(ref(panel, control)));
    EXPECT_NE(w, nullptr) << panel << "." << control;
    return w;
  }

  std::string dir;
  std::unique_ptr<bx::Context> ctx;
  bx::ui::HeadlessFrontend popups;
  std::unique_ptr<bx::gui::QtFrontend> frontend;
  std::unique_ptr<bx::gui::Renderer> renderer;
};

}  // namespace guitest
