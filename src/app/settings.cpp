#include "app/settings.h"

#include <algorithm>
#include <charconv>

#include "app/localize.h"
#include "app/main_panel.h"
#include "context/context.h"
#include "files/settings_file.h"
#include "connection/conn_page.h"
#include "link/report.h"
#include "link/transport.h"

namespace bx {

namespace {

// The MAX/MIN toggle and the maximum and minimum fields it shows.
void applyMaxMin(Context& ctx) {
  auto& ui = ctx.ui;
  const auto& M = ctx.para.meas;
  ui.setValue(M.maxMin, ctx.app.maxMinState);
  for (ui::CtlRef r : {M.maxVal, M.minVal}) ui.setVisible(r, ctx.app.maxMinState == 1);
}

// True when enough of the panel's title area lies on the screen to grab it.
bool reachable(const Context& ctx, const ui::Panel& p) {
  constexpr int kGrab = 64;
  const auto& a = ctx.app;
  const int left = std::max(p.left, a.screenLeft);
  const int right = std::min(p.left + p.width, a.screenLeft + a.screenWidth);
  return right - left >= kGrab && p.top >= a.screenTop - kGrab / 2 && p.top < a.screenTop + a.screenHeight - kGrab / 2;
}

int tcpPortNumber(const std::string& text) {
  // Only a plain decimal port number; anything else keeps the default.
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > 65535) return 5000;
  return v;
}

}  // namespace

void ReadIniFile(Context& ctx, const std::string& path) {
  auto& ui = ctx.ui;
  files::AppSettings s;
  const bool read = files::ReadSettingsFile(path, s);

  auto& L = ctx.link;
  L.transport = s.linkType == 1 ? TRANSPORT_TCP : TRANSPORT_RS232;
  L.comPort = s.comPort;
  L.baudIndex = s.baudIndex;
  L.ipAddress = s.ipAddress;
  L.tcpPort = tcpPortNumber(s.tcpPort);

  std::vector<ui::Item> list;
  for (const auto& a : s.ipList) list.push_back(ui::Item{a, static_cast<double>(list.size())});
  ui.setItems(ctx.refs.conn.ipAddr, std::move(list));

  // Without a stored place the window starts centred, not in a corner.
  if (!read || !s.hasPosX || !s.hasPosY) ResetMainPanelPlacement(ctx);
  if (read) {
    int main = ctx.refs.main.status.panel;
    if (main >= 0) {
      ui::Panel& p = ui.panel(main);
      if (s.hasMax && s.panelMax == 1) p.maximized = true;
      if (s.hasPosX && s.hasPosY) {
        p.left = s.posX;
        p.top = s.posY;
      }
      if (s.hasWidth && s.hasHeight && s.width > 0 && s.height > 0) {
        p.width = s.width;
        p.height = s.height;
      }
      // A place stored on a screen that is gone would leave the window out
      // of reach: back to the centre then.
      if (!reachable(ctx, p)) {
        const bool maximized = p.maximized;
        ResetMainPanelPlacement(ctx);
        p.maximized = maximized;
      }
      ui.touchPanel(main);
    }
    if (s.hasMmButton) {
      ctx.params.unitMm = s.mmButtonState != 0 ? 1 : 0;
      ui.setValue(ctx.refs.main.mmSwitch, ctx.params.unitMm);
    }
    ctx.app.maxMinState = s.maxMinState == 1 ? 1 : 0;
    if (s.hasLanguage) ctx.app.language = NormalLanguage(s.language);
  }
  applyMaxMin(ctx);

  ShowConnectionValues(ctx);
  // The page shows the port text as stored, even one the link cannot use.
  ui.setText(ctx.refs.conn.tcpPort, s.tcpPort);

  ShowLanguageChoice(ctx);
  if (!LocalizeUi(ctx)) ui.message("Info", "Error Localizing Language File");
}

int WriteIniFile(Context& ctx, const std::string& path) {
  auto& ui = ctx.ui;
  // While a link is open the settings stored are those it was opened with:
  // the page may have been edited since, and taking it over would also
  // change which transport the open link is believed to be.
  const bool tcpOpen = TcpOpen(ctx.link);
  if (!tcpOpen && !SerialOpen(ctx.link)) ReadConnectionPage(ctx);
  files::AppSettings s;
  s.linkType = ctx.link.transport;
  s.comPort = ctx.link.comPort;
  s.baudIndex = ctx.link.baudIndex;
  s.ipAddress = tcpOpen ? ctx.link.ipAddress : ui.text(ctx.refs.conn.ipAddr);
  s.tcpPort = tcpOpen ? std::to_string(ctx.link.tcpPort) : ui.text(ctx.refs.conn.tcpPort);
  if (ui.valid(ctx.refs.conn.ipAddr))
    for (const auto& it : ui.at(ctx.refs.conn.ipAddr).items) s.ipList.push_back(it.label);

  int main = ctx.refs.main.status.panel;
  if (main >= 0) {
    const ui::Panel& p = ui.panel(main);
    s.hasMax = s.hasPosX = s.hasPosY = s.hasWidth = s.hasHeight = true;
    s.panelMax = p.maximized ? 1 : 0;
    s.posX = p.left;
    s.posY = p.top;
    s.width = p.width;
    s.height = p.height;
  }
  s.hasMmButton = true;
  s.mmButtonState = ui.intValue(ctx.refs.main.mmSwitch);
  s.maxMinState = ctx.app.maxMinState;
  s.hasLanguage = true;
  s.language = ctx.app.language;

  std::string error;
  if (!files::WriteSettingsFile(path, s, &error)) {
    ctx.status = Localized(ctx, "Settings file - Write error! %1", {error});
    ShowStatus(ctx);
    return -1;
  }
  return 0;
}

}  // namespace bx
