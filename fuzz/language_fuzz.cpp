// The language-file loader fed language text (includes resolve in the
// product's resource folder), then its texts applied to the product's own
// panel model, as a language switch does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/localize.h"
#include "ui/resource.h"

namespace {

const bx::ui::Ui& productModel() {
  static const bx::ui::Ui model = [] {
    bx::ui::Ui ui;
    std::string error;
    if (!bx::ui::loadResourceFile(ui, std::string(BX_RESOURCE_DIR) + "/Quellan-BX-ScopeV55.uir", error)) std::abort();
    return ui;
  }();
  return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bx::LanguageData texts;
  texts.entries.emplace("MAIN\x1fSEND", "kept");
  std::string error;
  if (!bx::ParseLanguageText(text, BX_RESOURCE_DIR, texts, error)) {
    // A refused text leaves the old texts as they were.
    if (error.empty() || texts.entries.size() != 1) __builtin_trap();
    return 0;
  }
  bx::ui::Ui ui = productModel();
  bx::ApplyLanguage(ui, texts);
  return 0;
}
