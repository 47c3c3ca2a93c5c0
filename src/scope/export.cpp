#include "scope/export.h"

#include <cstdio>

#include "context/context.h"
#include "files/atomic_file.h"
#include "link/report.h"
#include "wire/scope_record.h"

namespace bx {

std::string ScopeRecordTable(const Context& ctx, char sep) {
  std::string out;
  for (const char* h : {"INDEX", "TIME[ms]", "VALUE[um]", "BIT24", "BIT25", "BIT26", "BIT27", "BIT28"}) {
    if (!out.empty()) out += sep;
    out += h;
  }
  out += '\n';
  char row[160];
  for (int i = 0; i < scoperec::kSamples; ++i) {
    const scoperec::Sample s = scoperec::decodeSample(ctx.scope.samples[static_cast<size_t>(i)]);
    std::snprintf(row, sizeof row, "%d%c%.3f%c%u%c%d%c%d%c%d%c%d%c%d\n", i, sep, i * ctx.scope.periodMs, sep,
                  s.valueUm, sep, s.line[0] ? 1 : 0, sep, s.line[1] ? 1 : 0, sep, s.line[2] ? 1 : 0, sep,
                  s.line[3] ? 1 : 0, sep, s.line[4] ? 1 : 0);
    out += row;
  }
  return out;
}

int ExportScopeCsv(Context& ctx) {
  if (!ctx.scope.hasRecord) {
    ShowStatusText(ctx, "No scope record to export - start the scope first!");
    ctx.ui.message("I n f o !", Localized(ctx, "No scope record to export - start the scope first!"));
    return 0;
  }
  ui::FileRequest req;
  req.save = true;
  req.directory = ctx.app.userFilesDir;
  req.defaultName = "SCOPE.csv";
  req.filter = "*.csv";
  req.title = Localized(ctx, "Export the scope record as CSV");
  std::string path;
  const ui::FileResult r = ctx.ui.fileSelect(req, path);
  if (r == ui::FILE_CANCEL || path.empty()) return 0;
  if (r == ui::FILE_EXISTING &&
      !ctx.ui.confirm(Localized(ctx, "ATTENTION !"), Localized(ctx, "File already exist - overwrite ?")))
    return 0;
  std::string why;
  if (!writeFileAtomic(path, ScopeRecordTable(ctx, ','), &why)) {
    const std::string text = Localized(ctx, "Cannot write %1: %2", {path, why});
    ShowStatusText(ctx, text);
    ctx.ui.message(Localized(ctx, "A T T E N T I O N !"), text);
    return -1;
  }
  ShowStatusText(ctx, Localized(ctx, "Scope record saved to %1", {path}));
  return 1;
}

int CC_PICBTNExportScope(Context& ctx, const ui::EventArgs& ev) {
  if (ev.event == ui::EVENT_COMMIT) ExportScopeCsv(ctx);
  return 0;
}

}  // namespace bx
