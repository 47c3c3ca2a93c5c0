#pragma once
// Qt's own dialogs (file selection, message boxes, the printer dialogue)
// in the language in force: the translations Qt itself ships (on Debian in
// qt6-translations-l10n), loaded while another language than English is
// in force and dropped again on the way back.
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <string>

namespace bx::gui {

class QtLanguage {
 public:
  QtLanguage() = default;
  ~QtLanguage();
  QtLanguage(const QtLanguage&) = delete;
  QtLanguage& operator=(const QtLanguage&) = delete;

  // Switches Qt's texts to the language of a two-letter code. False when
  // Qt's translation of it was not found (Qt's texts are English then).
  bool use(const std::string& code);
  // The file whose texts are in force, empty for English.
  const QString& file() const { return file_; }

  // Where Qt's translations are looked for: beside the executable first (a
  // bundled installation), then where Qt was installed.
  static QStringList folders();

 private:
  std::unique_ptr<QTranslator> translator_;
  std::string code_ = "en";
  QString file_;
};

}  // namespace bx::gui
