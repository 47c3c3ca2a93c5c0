#include "gui/qt_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

namespace bx::gui {

QtLanguage::~QtLanguage() {
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

QStringList QtLanguage::folders() {
  QStringList dirs;
  if (QCoreApplication::instance()) dirs << QCoreApplication::applicationDirPath() + "/translations";
  dirs << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  return dirs;
}

bool QtLanguage::use(const std::string& code) {
  if (code == code_ && (code == "en" || translator_)) return true;
  if (translator_) {
    QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
    file_.clear();
  }
  code_ = code;
  // Qt's own texts are English to begin with.
  if (code.empty() || code == "en") return true;
  auto t = std::make_unique<QTranslator>();
  const QString name = "qtbase_" + QString::fromStdString(code);
  for (const QString& dir : folders()) {
    if (!t->load(name, dir)) continue;
    file_ = QDir(dir).filePath(name + ".qm");
    QCoreApplication::installTranslator(t.get());
    translator_ = std::move(t);
    return true;
  }
  return false;
}

}  // namespace bx::gui
