// The scope's print-out rendered offscreen into a PDF file: its texts in
// their order, header and footer, and graphs drawn as vectors rather than
// pasted in as a picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "gui/print_render.h"
#include "params/params_fixture.h"
#include "platform/date_text.h"
#include "scope/print.h"
#include "scope/scope.h"

namespace bx::test {
namespace {

std::string run(const std::string& cmd) {
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

class ScopePrint : public ParamsTest {};

TEST_F(ScopePrint, ThePdfHoldsTheTextsInOrderAndTheGraphsAsVectors) {
  connectTcp();
  ctx->ui.setValue(ctx->scope.refs.trigMode, 1);
  PushSCOPE(*ctx);
  ASSERT_EQ(ctx->scope.outcome, ScopeOutcome::Shown) << ctx->status;
  ctx->app.hwInfoVersionText = " Build: V5.5.0  02/Jun/2026";
  ctx->ui.setText(ctx->scope.refs.comment, "Batch 7, line 3 after cleaning");
  const std::time_t now = std::time(nullptr);
  const ui::PrintJob job = BuildScopePrintJob(*ctx, now);
  const std::string path = tempDir() + "/shot.pdf";
  std::string error;
  ASSERT_TRUE(gui::PrintJobToPdf(ctx->ui, job, path, error)) << error;

  std::ifstream f(path, std::ios::binary);
  std::stringstream raw;
  raw << f.rdbuf();
  ASSERT_EQ(raw.str().rfind("%PDF", 0), 0u);
  // A picture of the panel would be an image object; the graphs are paths.
  EXPECT_EQ(raw.str().find("/Subtype /Image"), std::string::npos);
  EXPECT_EQ(raw.str().find("/Subtype/Image"), std::string::npos);

  if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const std::string text = run("pdftotext -layout '" + path + "' -");
  const char* inOrder[] = {"Scope Screen Shot",
                           // pdftotext shows two blanks as one
                           "Quellan-BX-Scope",
                           "Build: V5.5.0",
                           "02/Jun/2026",
                           "Comment:",
                           "Batch 7, line 3 after cleaning",
                           "Trigger-Mode: RISING EDGE",
                           "MEASUREMENT-VALUE [pixel]",
                           "Time [ms]",
                           "Digital",
                           "Page 1 of 1"};
  size_t at = 0;
  for (const char* t : inOrder) {
    const size_t found = text.find(t, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << t << "\n" << text;
    at = found;
  }
  EXPECT_NE(text.find(platform::DateStr(now)), std::string::npos) << text;
  EXPECT_LT(text.find(platform::DateStr(now)), text.find("Scope Screen Shot"));
}

TEST_F(ScopePrint, AnUnwritablePdfFailsAndLeavesNothingBehind) {
  const ui::PrintJob job = BuildScopePrintJob(*ctx, std::time(nullptr));
  std::string error;
  EXPECT_FALSE(gui::PrintJobToPdf(ctx->ui, job, tempDir() + "/no/such/dir/shot.pdf", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace bx::test
