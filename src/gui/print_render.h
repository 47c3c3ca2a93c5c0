#pragma once
// Renders a print job of the core onto paper or into a PDF file with Qt's
// print support: header (date left, time right), the job's lines and panels
// in their order, footer "page n of m". Graphs are drawn from the panel
// model as vector paths, so they stay sharp at any zoom. Knows no product
// rule: what is printed is the job's business.
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
// The job on the named printer.
bool PrintJobToPrinter(const ui::Ui& ui, const ui::PrintJob& job, const std::string& printer, std::string& error);

}  // namespace bx::gui
