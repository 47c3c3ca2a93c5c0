#pragma once
// A fresh context with the real panel resource and the headless front-end,
// optionally connected to a simulated sensor (loopback TCP or its pty).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/startup.h"
#include "context/context.h"
#include "connection/bringup.h"
#include "link/transport.h"
#include "params/fields.h"
#include "platform/com_ports.h"
#include "tests/support/temp_folder.h"
#include "sim/server.h"
#include "ui/headless.h"

namespace bx::test {

template <size_t N>
uint16_t get16le(const std::array<uint8_t, N>& a, int off) {
  return static_cast<uint16_t>(a[static_cast<size_t>(off)] | (a[static_cast<size_t>(off) + 1] << 8));
}

inline std::string resourcePath() { return std::string(BX_RESOURCE_DIR) + "/Quellan-BX-ScopeV55.uir"; }

class ParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx = std::make_unique<Context>();
    fe = std::make_unique<ui::HeadlessFrontend>();
    ctx->ui.frontend = fe.get();
    std::string err;
    ASSERT_TRUE(LoadPanels(*ctx, resourcePath(), err)) << err;
    InitVars(*ctx);
  }
  void TearDown() override {
    if (ctx) CloseLink(*ctx, true);
    if (sim) sim->stop();
    std::error_code ec;
    if (!tmp.empty()) std::filesystem::remove_all(tmp, ec);
  }

  // A model without a sensor: N pixels at s micrometres per pixel.
  void model(int pixels, double umPerPixel, int outputConfig = 3) {
    ctx->ident.hw.pixelCount = static_cast<int16_t>(pixels);
    ctx->ident.model.umPerPixel = umPerPixel;
    ctx->ident.model.outputConfig = outputConfig;
    ctx->ident.model.displayPrecision = 3;
    ctx->ident.model.workingRangeMm = pixels * umPerPixel / 1000.0;
    ctx->ui.setDimmed(ctx->refs.main.mmSwitch, false);  // as a configured model leaves it
  }

  // Connects and brings the link up (identification and GET from RAM).
  void connectTcp(const sim::Config& cfg = sim::Config()) {
    if (!sim) sim = std::make_unique<sim::Server>(cfg);
    const int port = sim->startTcp(0);
    ASSERT_GT(port, 0);
    ctx->link.transport = TRANSPORT_TCP;
    ctx->link.ipAddress = "127.0.0.1";
    ctx->link.tcpPort = port;
    ASSERT_EQ(ConnectProcedure(*ctx), 1) << ctx->status;
  }

  void connectPty(const sim::Config& cfg = sim::Config()) {
    if (!sim) sim = std::make_unique<sim::Server>(cfg);
    const std::string path = sim->startPty();
    ASSERT_FALSE(path.empty());
    ctx->link.transport = TRANSPORT_RS232;
    ctx->link.comPort = static_cast<uint16_t>(platform::comNumber(path));
    ctx->link.baudIndex = 4;
    ASSERT_EQ(ConnectProcedure(*ctx), 1) << ctx->status;
  }

  std::string tempDir() {
    if (tmp.empty()) {
      tmp = test::MakeTempFolder("bx-params-");
    }
    return tmp;
  }

  ui::CtlRef ref(const char* panel, const char* control) { return ctx->ui.find(panel, control); }
  uint16_t field(int off) const { return param::get(ctx->params, off); }
  int32_t field32(int off) const { return param::get32(ctx->params, off); }
  const std::string& status() const { return ctx->status; }

  std::unique_ptr<Context> ctx;
  std::unique_ptr<ui::HeadlessFrontend> fe;
  std::unique_ptr<sim::Server> sim;
  std::string tmp;
};

}  // namespace bx::test
