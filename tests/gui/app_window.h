#pragma once
// The real tool's window for front-end tests: start-up of the application
// shell (without opening a link) in a project directory of its own, holding
// copies of the resources, so settings written by a test stay there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app.h"
#include "context/context.h"
#include "gui/main_window.h"
#include "gui/qt_frontend.h"
#include "gui/gui_input.h"
#include "gui/renderer.h"
#include "link/transport.h"
#include "sim/server.h"
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

  // Lets the renderer and Qt show what the model changed.
  void settle() {
    renderer->repaint();
    // A new smallest size climbs from a control to the window one posted
    // layout request per level.
    for (int pass = 0; pass < 4; ++pass) QApplication::processEvents();
  }

  // Pixels of one control's widget whose colour passes IS.
  template <class Is>
  int countPixels(const char* panel, const char* control, Is is) {
    QWidget* w = renderer->widget(ref(panel, control));
    if (!w) return 0;
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (is(img.pixelColor(x, y))) ++n;
    return n;
  }

  // Saves the whole window as NAME.png in BX_SCREENSHOT_DIR, or else in
  // FALLBACK below the working folder; without either, nothing is saved.
  void saveWindow(const std::string& name, const char* fallback = nullptr) {
    const char* env = std::getenv("BX_SCREENSHOT_DIR");
    QString out;
    if (env && *env) out = env;
    else if (fallback) out = QCoreApplication::applicationDirPath() + "/" + fallback;
    else return;
    QDir().mkpath(out);
    const QString file = QString("%1/%2.png").arg(out, QString::fromStdString(name));
    EXPECT_TRUE(renderer->mainWindow()->grab().save(file)) << file.toStdString();
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

// The window connected over TCP to a simulated sensor of its own.
class ConnectedWindow : public AppWindow {
 protected:
  void SetUp() override {
    AppWindow::SetUp();
    if (HasFatalFailure()) return;
    const int port = sensor.startTcp(0);
    ASSERT_GT(port, 0);
    connectOverTcp(port);
    ASSERT_TRUE(TcpOpen(ctx->link));
  }

  bx::sim::Server sensor;
};

}  // namespace guitest
