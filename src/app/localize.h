#pragma once
// The language files: parsing, applying their texts to the panel model, and
// switching the language of the running tool.
//
// Results: 1 (true) when done, 0 when cancelled or there was nothing to do,
// negative (false) when it failed, the reason in ctx.status; a function
// that answers otherwise says so.
#include <string>

#include "app/language_data.h"

namespace bx {
struct Context;
namespace ui {
class Ui;
struct CtlRef;
}

inline constexpr const char* kLanguageFileEn = "_loc_en_BX-ScopeV55.lwl";
inline constexpr const char* kLanguageFileDe = "_loc_de_BX-ScopeV55.lwl";

// The language indexes; any index but German reads as English.
inline constexpr int kEnglish = 0;
inline constexpr int kGerman = 1;
inline constexpr int NormalLanguage(int language) { return language == kGerman ? kGerman : kEnglish; }

// What belongs to a language besides its texts: its language file, its
// flag picture and the tag in its manuals' file names.
struct LanguageInfo {
  const char* file;
  const char* flag;
  const char* tag;
};
const LanguageInfo& LanguageOf(int language);

// Path of the language file of a language index (1 German, else English).
std::string LanguageFilePath(const std::string& dir, int language);

// Parses language text; "include FILE" reads FILE from baseDir. False with
// the reason (file and line) in error; out is then left as it was.
bool ParseLanguageText(const std::string& text, const std::string& baseDir, LanguageData& out, std::string& error);
bool ParseLanguageFile(const std::string& path, LanguageData& out, std::string& error);

// Puts labels, ring item labels, texts, panel titles and menu labels into
// the model. Entries naming what the model lacks are skipped.
void ApplyLanguage(ui::Ui& ui, const LanguageData& data);

// Loads the language file of ctx.app.language from the project directory
// and applies it; the help texts are kept in ctx.app.texts. False when the
// file is missing or damaged: the texts then stay as they were.
bool LocalizeUi(Context& ctx);

// Labels of a control's right-click menu entries, in order, from a
// "label|label|..." text; entries beyond the text keep theirs.
void SetContextMenuLabels(ui::Ui& ui, ui::CtlRef r, const std::string& labels);

// Flag picture and menu ticks of ctx.app.language.
void ShowLanguageChoice(Context& ctx);

// Switches to a language: index, ticks, flag, texts and the model-dependent
// texts; "Info" / "Error Localizing Language File" when the file fails.
void SetLanguage(Context& ctx, int language);

}  // namespace bx
