#pragma once
// The scope's print-out: what it holds, in its order, and the printing
// itself through the front-end (a printer chosen by the operator, or a PDF
// file when no printer is installed).
#include <ctime>

#include "ui/print_job.h"

namespace bx {
struct Context;

// Title, application title with the version text, the comment when there
// is one, and the scope panel; date and time in the header, "page n of m"
// in the footer.
ui::PrintJob BuildScopePrintJob(Context& ctx, std::time_t now);
// Prints the scope screen shot.
void PrintScopeGraph(Context& ctx);

}  // namespace bx
