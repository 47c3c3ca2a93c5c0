#include "params/para_file_ui.h"

#include <filesystem>
#include <string>

#include "context/context.h"
#include "files/para_file.h"
#include "link/ownership.h"
#include "link/report.h"
#include "params/panel_values.h"
#include "params/transfer.h"

namespace bx {
namespace {

constexpr const char* kDefaultName = "Quellan-BXpara.ini";
constexpr const char* kOverwrite = "Parameter-File already exists - overwrite ?";

ui::FileResult chooseFile(Context& ctx, bool save, std::string& path) {
  ui::FileRequest req;
  req.save = save;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = kDefaultName;
  req.filter = "*.ini";
  req.title = ctx.app.texts.message("Quellan-BX-Series Parameter-File");
  req.restrictExtension = true;
  req.allowNewFolder = true;
  ui::FileResult r = ctx.ui.fileSelect(req, path);
  if (r == ui::FILE_CANCEL || path.empty()) return ui::FILE_CANCEL;
  // The dialogue's word is checked against the disk: never overwrite unasked.
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return ui::FILE_EXISTING;
  return ui::FILE_NEW;
}

bool writeFile(Context& ctx, const std::string& path) {
  auto& p = ctx.params;
  std::string error;
  return files::WriteParaToIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), ctx.calib.locked == 0,
                                   path, &error) == 1;
}

bool readFile(Context& ctx, const std::string& path) {
  auto& p = ctx.params;
  std::string error;
  if (files::ReadParaFromIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), path, &error) != 1)
    return false;
  p.setRead = p.teachRead = true;
  return true;
}

void status(Context& ctx, const char* text) {
  ctx.status = text;
  ShowStatus(ctx);
}

}  // namespace

int SendParaToFile(Context& ctx) {
  GetPanelValues(ctx);
  std::string path;
  const ui::FileResult r = chooseFile(ctx, true, path);
  const char* writeError = "Parameter file - Write error!";
  if (r == ui::FILE_CANCEL) {
    status(ctx, "Parameter file - Writing to file canceled!");
    return 0;
  }
  ctx.params.paraFilePath = path;
  if (r == ui::FILE_EXISTING) {
    if (!ctx.ui.confirm("ATTENTION!", kOverwrite)) {
      status(ctx, writeError);
      return 0;
    }
    if (!writeFile(ctx, path)) {
      status(ctx, writeError);
      return -1;
    }
    status(ctx, "Parameter saved successfully to file!");
    return 1;
  }
  if (!writeFile(ctx, path)) {
    status(ctx, writeError);
    return -1;
  }
  return 1;
}

int GetParaFromFile(Context& ctx) {
  std::string path;
  if (chooseFile(ctx, false, path) == ui::FILE_CANCEL) {
    status(ctx, "Parameter not read from file!");
    return 0;
  }
  ctx.params.paraFilePath = path;
  if (!readFile(ctx, path)) {
    status(ctx, "Parameter not read from file!");
    return -1;
  }
  status(ctx, "Parameter read from file!");
  return 1;
}

int LoadConfigFile(Context& ctx) {
  // Records read now would change underneath an operation waiting on the link.
  if (LinkRefusesAction(ctx)) return 0;
  std::string path;
  if (chooseFile(ctx, false, path) == ui::FILE_CANCEL) {
    status(ctx, "Parameter not read from file - ERROR!");
    return 0;
  }
  ctx.params.paraFilePath = path;
  if (!readFile(ctx, path)) {
    status(ctx, "Parameter not read from file - ERROR!");
    return -1;
  }
  status(ctx, "Parameter read from file - OK!");
  RequestGET(ctx, MEM_FILE);
  return 1;
}

int SaveConfigFile(Context& ctx) {
  GetPanelValues(ctx);
  std::string path;
  const ui::FileResult r = chooseFile(ctx, true, path);
  if (r == ui::FILE_CANCEL) {
    status(ctx, "Parameter saving to file failed!");
    return 0;
  }
  ctx.params.paraFilePath = path;
  if (r == ui::FILE_EXISTING) {
    if (!ctx.ui.confirm(Localized(ctx, "A T T E N T I O N !"), Localized(ctx, kOverwrite))) {
      status(ctx, "Parameter not saved to file!");
      return 0;
    }
    if (!writeFile(ctx, path)) {
      status(ctx, "Parameter not saved to file!");
      return -1;
    }
    status(ctx, "Parameter saved to file!");
    return 1;
  }
  if (!writeFile(ctx, path)) {
    status(ctx, "Parameter not saved to file!");
    return -1;
  }
  return 1;
}

}  // namespace bx
