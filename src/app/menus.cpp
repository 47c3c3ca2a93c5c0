#include "app/menus.h"

#include <filesystem>
#include <system_error>

#include "app/localize.h"
#include "app/main_panel.h"
#include "context/context.h"
#include "link/report.h"
#include "params/compare_window.h"
#include "params/para_file_ui.h"
#include "service/service_report.h"

namespace bx {

namespace {

// Menu callbacks receive the menu and item index; the item's resource name
// tells them apart.
const ui::MenuItem* menuItem(const Context& ctx, const ui::EventArgs& ev) {
  const auto& menus = ctx.ui.menuBar.menus;
  if (ev.panel < 0 || ev.panel >= static_cast<int>(menus.size())) return nullptr;
  const auto& items = menus[static_cast<size_t>(ev.panel)].items;
  if (ev.control < 0 || ev.control >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<size_t>(ev.control)];
}

bool menuChecked(const Context& ctx, const char* item) {
  int m, i;
  if (!ctx.ui.findMenuItem("SETTINGS", item, m, i)) return false;
  return ctx.ui.menuBar.menus[static_cast<size_t>(m)].items[static_cast<size_t>(i)].checked;
}

constexpr int kHwTypeSeriesN = 822001;

}  // namespace

std::string AboutText(const Context& ctx) {
  std::string t = ctx.app.appTitle + ctx.app.versionShort + "\n" + ctx.app.buildText + "\n\n";
  // The maker goes by the product's name; no telephone number or web
  // address is published for it.
  t += "Quellan\n";
  if (ctx.ui.frontend) {
    const std::string versions = ctx.ui.frontend->componentVersions();
    if (!versions.empty()) t += versions + "\n";
  }
  t += "\n";
  t += Localized(ctx, "This software is compatible with Quellan-BX-K/N series hardware!");
  return t;
}

std::string ManualPath(const Context& ctx) {
  const std::string tag = LanguageOf(ctx.app.language).tag;
  std::string name;
  if (ctx.ident.hw.hwType == kHwTypeSeriesN)
    name = "Quellan_BX_N_V5_" + tag + ".pdf";
  else
    name = "_man_" + tag + "_BX-ScopeV55nn.pdf";
  return ctx.app.resourceDir + "/" + name;
}

bool OpenManual(Context& ctx) {
  const std::string path = ManualPath(ctx);
  std::error_code ec;
  const char* problem = nullptr;
  if (!std::filesystem::is_regular_file(path, ec))
    problem = "Quick-Start manual not found!";
  else if (ctx.ui.frontend == nullptr || !ctx.ui.frontend->openDocument(path))
    problem = "No program could open the Quick-Start manual!";
  if (problem == nullptr) {
    ctx.status = "Quick-Start manual opened!";
    ShowStatus(ctx);
    return true;
  }
  ctx.status = problem;
  ShowStatus(ctx);
  // The path names the file the operator has to look for.
  ctx.ui.message(ctx.app.texts.message("I n f o !"), ctx.app.texts.message(std::string(problem) + "\n" + path));
  return false;
}

int CC_MENUapplication(Context& ctx, const ui::EventArgs& ev) {
  const ui::MenuItem* it = menuItem(ctx, ev);
  if (it == nullptr) return 0;
  if (it->name == "LOAD_CONFIG") {
    if (AskBeforeLeaving(ctx)) LoadConfigFile(ctx);
  }
  else if (it->name == "SAVE_CONFIG")
    SaveConfigFile(ctx);
  else if (it->name == "COMPARE")
    OpenCompareWindow(ctx);
  else if (it->name == "SERVICE_REPORT")
    MakeServiceReport(ctx);
  else if (it->name == "EXIT")
    ExitApplication(ctx);
  return 0;
}

int CC_MENUsettings(Context& ctx, const ui::EventArgs& ev) {
  const ui::MenuItem* it = menuItem(ctx, ev);
  if (it == nullptr) return 0;
  // Choosing the language in force switches to the other one.
  if (it->name == "English")
    SetLanguage(ctx, menuChecked(ctx, "English") ? 1 : 0);
  else if (it->name == "German")
    SetLanguage(ctx, menuChecked(ctx, "German") ? 0 : 1);
  return 0;
}

int CC_MENUhelp(Context& ctx, const ui::EventArgs& ev) {
  const ui::MenuItem* it = menuItem(ctx, ev);
  if (it == nullptr) return 0;
  if (it->name == "QUICKSTART") {
    OpenManual(ctx);
  } else if (it->name == "ABOUT") {
    ctx.ui.message("Quellan-BX-Scope  Information ", AboutText(ctx));
  }
  return 0;
}

int CC_PIClanguage(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_LEFT_CLICK) SetLanguage(ctx, ctx.app.language == kGerman ? kEnglish : kGerman);
  return 0;
}

}  // namespace bx
