#pragma once
// Renders a print job of the core onto any paged device (a printer, a PDF
// file): header (date left, time right), the job's lines, panels, graphs
// and tables in their order, footer "page n of m". Graphs are drawn from the panel model
// as vector paths, so they stay sharp at any zoom. Knows no product rule:
// what is printed is the job's business. Needs Qt GUI only (QPainter,
// QPdfWriter), so the command-line tool renders PDF files without the
// widget and printer libraries; the desktop tool's printer path sits in
// qt_frontend.cpp.
#include <string>

#include "ui/print_job.h"

class QPagedPaintDevice;

namespace bx::ui {
class Ui;
}

namespace bx::gui {

// Draws the job on a device whose page layout is already set; false with
// the reason when it cannot be painted.
bool RenderPrintJob(const ui::Ui& ui, const ui::PrintJob& job, QPagedPaintDevice& device, std::string& error);
// The job as a PDF file (A4, the job's margins). Works without a running
// application too: it then brings up Qt on its offscreen platform for the
// time of the rendering.
bool PrintJobToPdf(const ui::Ui& ui, const ui::PrintJob& job, const std::string& path, std::string& error);
// A4 portrait with the job's margins, for every device the job goes to.
void SetPrintPageLayout(QPagedPaintDevice& device, const ui::PrintJob& job);

}  // namespace bx::gui
