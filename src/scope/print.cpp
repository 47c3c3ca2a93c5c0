#include "scope/print.h"

#include "context/context.h"
#include "link/report.h"
#include "platform/date_text.h"

namespace bx {

ui::PrintJob BuildScopePrintJob(Context& ctx, std::time_t now) {
  ui::PrintJob job;
  job.title = Localized(ctx, "Scope Screen Shot");
  job.fontFamily = "Arial";
  job.marginCm = 2.54;
  job.pointSize = 10;
  job.headerLeft = platform::DateStr(now);
  job.headerRight = platform::TimeStr(now);
  job.footer = Localized(ctx, "Page {n} of {m}");
  job.text(job.title, 16);
  job.text(ctx.app.appTitle + ctx.app.hwInfoVersionText, 10);
  job.text("", 10);
  job.text("", 10);
  const std::string& comment = ctx.ui.text(ctx.scope.refs.comment);
  if (!comment.empty()) {
    job.text(Localized(ctx, "Comment:"), 10);
    job.text(comment, 10);
    job.text("", 10);
    job.text("", 10);
  }
  if (ctx.scope.refs.graph.valid()) job.panelShot(ctx.scope.refs.graph.panel);
  return job;
}

void PrintScopeGraph(Context& ctx) {
  if (!ctx.ui.canPrint()) {
    // The product's own words for a print-out that cannot be prepared,
    // whatever library prepares it.
    ctx.ui.message("I n f o !", Localized(ctx, "Could not initialize NI Reports..."));
    return;
  }
  const ui::PrintJob job = BuildScopePrintJob(ctx, std::time(nullptr));
  ui::PrintTarget target;
  const std::vector<std::string> printers = ctx.ui.printerNames();
  if (!printers.empty()) {
    const int pick = ctx.ui.selectFromList(Localized(ctx, "Select printer"), printers);
    if (pick < 0) return;
    target.printer = printers[static_cast<size_t>(pick)];
  } else {
    // No printer installed: the print-out goes into a PDF file instead.
    ui::FileRequest req;
    req.save = true;
    req.directory = ctx.app.userFilesDir;
    req.defaultName = "ScopeScreenShot.pdf";
    req.filter = "*.pdf";
    req.title = Localized(ctx, "No printer installed - save as PDF file");
    std::string path;
    if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL) return;
    target.pdfPath = path;
  }
  std::string error;
  if (ctx.ui.print(job, target, error))
    ctx.ui.message("I n f o !", Localized(ctx, "Print successfully started!"));
  else
    ctx.ui.message(Localized(ctx, "A T T E N T I O N !"), Localized(ctx, "Print error!"));
}

}  // namespace bx
