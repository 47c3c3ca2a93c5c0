#include "scope/print.h"

#include "context/context.h"
#include "link/report.h"
#include "platform/date_text.h"

namespace bx {

ui::PrintJob BuildScopePrintJob(Context& ctx, std::time_t now) {
  ui::PrintJob job;
  job.title = Lang(ctx, "Scope Screen Shot", "Scope Bildschirmausdruck");
  job.fontFamily = "Arial";
  job.marginCm = 2.54;
  job.pointSize = 10;
  job.headerLeft = platform::DateStr(now);
  job.headerRight = platform::TimeStr(now);
  job.footer = Lang(ctx, "Page {n} of {m}", "Seite {n} von {m}");
  job.text(job.title, 16);
  job.text(ctx.app.appTitle + ctx.app.hwInfoVersionText, 10);
  job.text("", 10);
  job.text("", 10);
  const std::string& comment = ctx.ui.text(ctx.scope.refs.comment);
  if (!comment.empty()) {
    job.text(Lang(ctx, "Comment:", "Kommentar:"), 10);
    job.text(comment, 10);
    job.text("", 10);
    job.text("", 10);
  }
  if (ctx.scope.refs.graph.valid()) job.panelShot(ctx.scope.refs.graph.panel);
  return job;
}

void PrintScopeGraph(Context& ctx) {
  const bool de = ctx.app.language == 1;
  if (!ctx.ui.canPrint()) {
    // The product's own words for a print-out that cannot be prepared,
    // whatever library prepares it.
    ctx.ui.message("I n f o !", de ? "NI Report konnte nicht initialisiert werden..."
                                   : "Could not initialize NI Reports...");
    return;
  }
  const ui::PrintJob job = BuildScopePrintJob(ctx, std::time(nullptr));
  ui::PrintTarget target;
  const std::vector<std::string> printers = ctx.ui.printerNames();
  if (!printers.empty()) {
    const int pick = ctx.ui.selectFromList(de ? "Drucker wählen" : "Select printer", printers);
    if (pick < 0) return;
    target.printer = printers[static_cast<size_t>(pick)];
  } else {
    // No printer installed: the print-out goes into a PDF file instead.
    ui::FileRequest req;
    req.save = true;
    req.directory = ctx.app.userFilesDir;
    req.defaultName = "ScopeScreenShot.pdf";
    req.filter = "*.pdf";
    req.title = de ? "Kein Drucker installiert - als PDF-Datei speichern" : "No printer installed - save as PDF file";
    std::string path;
    if (ctx.ui.fileSelect(req, path) == ui::FILE_CANCEL) return;
    target.pdfPath = path;
  }
  std::string error;
  if (ctx.ui.print(job, target, error))
    ctx.ui.message("I n f o !", de ? "Ausdruck erfolgreich gestartet!" : "Print successfully started!");
  else
    ctx.ui.message(de ? "A C H T U N G !" : "A T T E N T I O N !", de ? "Fehler beim Drucken!" : "Print error!");
}

}  // namespace bx
