// The operator connects to and disconnects from a simulated sensor on
// loopback TCP through the connection page's widgets.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/app_window.h"
#include "gui/gui_input.h"
#include "link/transport.h"
#include "sim/server.h"

namespace {

using guitest::AppWindow;

TEST_F(AppWindow, TryToConnectAndDisconnectThroughTheWidgets) {
  bx::sim::Server sensor;
  int port = sensor.startTcp(0);
  ASSERT_GT(port, 0);

  auto* transport = widget<QComboBox>("CONN", "COM_TYPE");
  transport->setCurrentIndex(1);
  emit transport->activated(1);
  renderer->repaint();
  auto* addr = widget<QComboBox>("CONN", "IPADDR");
  ASSERT_TRUE(addr->isEnabled());
  addr->lineEdit()->clear();
  guitest::type(addr->lineEdit(), "127.0.0.1");
  auto* tcpPort = widget<QLineEdit>("CONN", "TCPPORT");
  tcpPort->clear();
  guitest::type(tcpPort, QString::number(port));
  EXPECT_EQ(ctx->ui.text(ref("CONN", "TCPPORT")), std::to_string(port));

  guitest::click(widget<QPushButton>("CONN", "TRY_CONNECT"));
  EXPECT_EQ(ctx->ui.text(ref("MAIN", "CONNECTED")), "CONNECTED");
  EXPECT_TRUE(sensor.tcpClientConnected());
  renderer->repaint();
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "CONNECTED");
  // The address went to the top of the recent list.
  ASSERT_GE(addr->count(), 1);
  EXPECT_EQ(addr->itemText(0), "127.0.0.1");
  EXPECT_TRUE(widget<QPlainTextEdit>("CONN", "MSGBOX")->toPlainText().contains("TRY TO CONNECT! ..."));

  guitest::click(widget<QPushButton>("CONN", "DISCONNECT"));
  EXPECT_EQ(ctx->ui.text(ref("MAIN", "CONNECTED")), "DISCONNECTED");
  EXPECT_FALSE(TcpOpen(ctx->link));
  renderer->repaint();
  EXPECT_EQ(widget<QLabel>("MAIN", "CONNECTED")->text(), "DISCONNECTED");
  EXPECT_TRUE(widget<QPlainTextEdit>("CONN", "MSGBOX")->toPlainText().contains("SENSOR DISCONNECTED!"));
}

}  // namespace
