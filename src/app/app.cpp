#include "app/app.h"

#include "app/help.h"
#include "app/localize.h"
#include "app/main_panel.h"
#include "calib_pages/calib_lock.h"
#include "context/context.h"
#include "files/settings_file.h"
#include "params/model_config.h"
#include "connection/bringup.h"
#include "connection/conn_page.h"
#include "link/transport.h"
#include "params/table_edit.h"
#include "params/transfer.h"

namespace bx {

namespace {


bool checkShellPanels(const Context& ctx, const std::string& resourcePath, std::string& error) {
  const auto& ui = ctx.ui;
  std::string missing;
  if (ui.findPanel("MAIN") < 0) missing += " MAIN";
  if (!ui.find("HELP", "TEXT").valid()) missing += " HELP.TEXT";
  int m, i;
  for (const char* item : {"English", "German"})
    if (!ui.findMenuItem("SETTINGS", item, m, i)) missing += std::string(" SETTINGS.") + item;
  if (missing.empty()) return true;
  error = resourcePath + ": missing:" + missing;
  return false;
}

}  // namespace

int AppStartup(Context& ctx, std::string& error, const std::string& projectDir, const StartOptions& options) {
  const AppPaths paths =
      LocateAppPaths(projectDir, options.userDirs ? *options.userDirs : platform::CurrentUserDirs());
  const std::string resourcePath = paths.resourceDir + "/" + kResourceFile;
  if (!LoadPanels(ctx, resourcePath, error)) return -1;
  if (!checkShellPanels(ctx, resourcePath, error)) return -1;

  InitVars(ctx);
  ctx.app.projectDir = projectDir;
  ctx.app.resourceDir = paths.resourceDir;
  ctx.app.userFilesDir = paths.userFilesDir;
  ctx.app.settingsPath = paths.settingsPath;
  ctx.calib.backupDir = paths.calibBackupDir;
  ctx.app.recorderPath = paths.userFilesDir + "/RECORD.DAT";
  // Without its folder the settings cannot be kept; the tool still starts,
  // on its start values, and says so when it writes them.
  std::string why;
  PrepareSettingsFile(paths, why);
  ctx.app.quitRequested = false;
  ShowLogo(ctx);
  WrapHelpCallbacks(ctx);
  ReadIniFile(ctx, ctx.app.settingsPath);
  ctx.ui.setText(ctx.refs.rec.file, ctx.app.recorderPath);

  int page = kPageConnection;
  if (options.openLink && ConnectProcedure(ctx) == 1) page = kPageMeasurement;
  ctx.ui.setActivePage(ctx.refs.main.tab, page);
  ctx.app.activePage = page;

  InitGUI(ctx);
  int main = ctx.ui.findPanel("MAIN");
  ctx.ui.panel(main).visible = true;
  ctx.ui.touchPanel(main);
  return 0;
}

void InitGUI(Context& ctx) {
  DimmConnectElements(ctx, ctx.link.transport);
  SetTeachTableMenu(ctx);
  // Choice lists and information box of the model in force, in the language
  // in force, also when no sensor answered.
  ApplyModelTexts(ctx);
  // The unit stored in the settings: the switch's own callback switches the
  // displays (it stays dimmed, and so inert, until a sensor is identified).
  ctx.ui.fire(ctx.refs.main.mmSwitch, ui::EVENT_COMMIT);
  // The calibration stays locked until a service user opens it.
  ShowCalibControls(ctx);
  // The settings page's copies of the parameter fields, as they start.
  ShowCalibSettingsCopies(ctx);
}

void SetTeachTableMenu(Context& ctx) {
  const ui::CtlRef t = ctx.para.teach.table;
  if (!ctx.ui.valid(t)) return;
  ctx.ui.setContextMenu(t, {
                                ui::ContextEntry{"Help", nullptr, true},
                                ui::ContextEntry{"Set selection to ...", &CC_GRIDSetSelectionTo, false},
                                ui::ContextEntry{"Reset selection", &CC_GRIDResetSelection, false},
                            });
  const ui::Panel& p = ctx.ui.panel(t.panel);
  if (const std::string* labels = ctx.app.texts.find(p.name, ctx.ui.at(t).name + ".menu"))
    SetContextMenuLabels(ctx.ui, t, *labels);
}

void AppShutdown(Context& ctx) {
  HideHelp(ctx);
  CloseLink(ctx, false);
  ctx.link.abort = 0;
}

}  // namespace bx
