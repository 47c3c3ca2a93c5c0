#pragma once
// The scope record as a table of text: one formatter for the command
// line's TAB-separated file and the SCOPE page's CSV export.
#include <string>

#include "ui/types.h"

namespace bx {
struct Context;

// A header line (INDEX, TIME[ms], VALUE[um], BIT24 ... BIT28) and one row
// per sample of the record on show, the columns separated by sep.
std::string ScopeRecordTable(const Context& ctx, char sep);
// The SCOPE page's export: asks for a CSV file (and before overwriting
// one) and writes the record there. 1 written, 0 nothing to export or
// cancelled, -1 the file could not be written (status and a pop-up say why).
int ExportScopeCsv(Context& ctx);

int CC_PICBTNExportScope(Context& ctx, const ui::EventArgs& ev);

}  // namespace bx
