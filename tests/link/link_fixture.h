#pragma once
// A fresh context with the real panel resource, the headless front-end and
// a simulated sensor reached over loopback TCP or its pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/startup.h"
#include "context/context.h"
#include "connection/bringup.h"
#include "link/transport.h"
#include "platform/com_ports.h"
#include "sim/server.h"
#include "ui/headless.h"

namespace bx::test {

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override { makeContext(); }
  void TearDown() override {
    if (ctx) CloseLink(*ctx, true);
    if (sim) sim->stop();
  }

  void makeContext() {
    ctx = std::make_unique<Context>();
    frontend = std::make_unique<ui::HeadlessFrontend>();
    ctx->ui.frontend = frontend.get();
    std::string err;
    ASSERT_TRUE(LoadPanels(*ctx, ExecutableDir() + "/" + kResourceFile, err)) << err;
    InitVars(*ctx);
  }

  void startSim(const sim::Config& cfg = sim::Config()) { sim = std::make_unique<sim::Server>(cfg); }

  // Points the link at the simulator without opening it.
  void configureTcp() {
    if (!sim) startSim();
    int port = sim->startTcp(0);
    ASSERT_GT(port, 0);
    ctx->link.transport = TRANSPORT_TCP;
    ctx->link.ipAddress = "127.0.0.1";
    ctx->link.tcpPort = port;
  }

  void configurePty() {
    if (!sim) startSim();
    std::string path = sim->startPty();
    ASSERT_FALSE(path.empty());
    int com = platform::comNumber(path);
    ASSERT_GT(com, 0) << path;
    ctx->link.transport = TRANSPORT_RS232;
    ctx->link.comPort = static_cast<uint16_t>(com);
  }

  // Opens the transport to the simulator without bringing it up.
  void openTcp() {
    configureTcp();
    ASSERT_EQ(InitTCP_IP(*ctx), 1) << ctx->status;
  }

  void openPty() {
    configurePty();
    ASSERT_EQ(InitRS232(*ctx, ctx->link.comPort, 4), 1) << ctx->status;
    ASSERT_TRUE(SerialOpen(ctx->link)) << ctx->status;
  }

  const std::string& text(ui::CtlRef r) { return ctx->ui.text(r); }

  std::unique_ptr<Context> ctx;
  std::unique_ptr<ui::HeadlessFrontend> frontend;
  std::unique_ptr<sim::Server> sim;
};

}  // namespace bx::test
