// The real dialogs of the Qt front-end, answered by a timer that plays the
// operator, and the pop-up hook that replaces them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/localize.h"
#include "context/context.h"
#include "gui/app_window.h"
#include "gui/qt_frontend.h"
#include "ui/headless.h"

namespace {

// Acts on the modal dialog once it is up; gives up after a second so a
// broken dialog cannot hang the run.
template <class D>
void onceShown(std::function<void(D*)> act) {
  auto tries = std::make_shared<int>(0);
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, act] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
      timer->deleteLater();
      timer->stop();
      act(d);
    } else if (++*tries > 100) {
      timer->stop();
      timer->deleteLater();
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
      ADD_FAILURE() << "dialog never shown";
    }
  });
  timer->start(10);
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx = std::make_unique<bx::Context>();
    frontend = std::make_unique<bx::gui::QtFrontend>(*ctx);
    char pattern[] = "/tmp/bx_gui_dialogs_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  template <class D>
  void whenShown(std::function<void(D*)> act) {
    onceShown<D>(std::move(act));
  }

  std::unique_ptr<bx::Context> ctx;
  std::unique_ptr<bx::gui::QtFrontend> frontend;
  std::string dir;
};

TEST_F(Dialogs, ConfirmAnswersYesOrNo) {
  whenShown<QMessageBox>([](QMessageBox* m) {
    EXPECT_EQ(m->windowTitle(), "A T T E N T I O N !");
    m->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(frontend->confirm("A T T E N T I O N !", "overwrite ?"));
  whenShown<QMessageBox>([](QMessageBox* m) { m->button(QMessageBox::No)->click(); });
  EXPECT_FALSE(frontend->confirm("A T T E N T I O N !", "overwrite ?"));
}

TEST_F(Dialogs, PromptReturnsTheTextOnlyWhenAccepted) {
  whenShown<QInputDialog>([](QInputDialog* d) {
    d->setTextValue("12.5");
    static_cast<QDialog*>(d)->accept();  // the OK button
  });
  std::string answer;
  EXPECT_TRUE(frontend->prompt("VALUE!", "Insert a cell value!", answer));
  EXPECT_EQ(answer, "12.5");
  whenShown<QInputDialog>([](QInputDialog* d) { d->reject(); });
  answer = "kept";
  EXPECT_FALSE(frontend->prompt("VALUE!", "Insert a cell value!", answer));
  EXPECT_EQ(answer, "kept");
}

TEST_F(Dialogs, FileSelectTellsNewFromExistingAndCancel) {
  bx::ui::FileRequest req;
  req.save = true;
  req.directory = dir;
  req.defaultName = "Quellan-BXpara.ini";
  req.filter = "*.ini";
  req.title = "Quellan-BX-Series Parameter-File";
  std::string path;
  whenShown<QFileDialog>([](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Quellan-BX-Series Parameter-File");
    static_cast<QDialog*>(d)->accept();  // the OK button
  });
  EXPECT_EQ(frontend->fileSelect(req, path), bx::ui::FILE_NEW);
  EXPECT_EQ(path, dir + "/Quellan-BXpara.ini");

  std::ofstream(dir + "/Quellan-BXpara.ini") << "[x]\n";
  whenShown<QFileDialog>([](QFileDialog* d) { static_cast<QDialog*>(d)->accept(); });
  EXPECT_EQ(frontend->fileSelect(req, path), bx::ui::FILE_EXISTING);

  whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_EQ(frontend->fileSelect(req, path), bx::ui::FILE_CANCEL);
}

TEST_F(Dialogs, DelegateAnswersWithoutAnyDialog) {
  bx::ui::HeadlessFrontend script;
  script.answerConfirm(true);
  script.answerFile(bx::ui::FILE_EXISTING, "/x/y.ini");
  frontend->setPopupDelegate(&script);
  frontend->message("I n f o !", "done");
  EXPECT_TRUE(frontend->confirm("A T T E N T I O N !", "sure?"));
  std::string path;
  EXPECT_EQ(frontend->fileSelect(bx::ui::FileRequest{}, path), bx::ui::FILE_EXISTING);
  EXPECT_EQ(path, "/x/y.ini");
  ASSERT_EQ(script.popups().size(), 3u);
  EXPECT_EQ(script.popups()[0].title, "I n f o !");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Dialogs, WaitCursorIsOneLevelDeep) {
  frontend->setWaitCursor(true);
  frontend->setWaitCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  frontend->setWaitCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Qt's own dialogs speak the language in force: their buttons and texts
// come from Qt's translations while German is in force, and are English
// again after the switch back.
class DialogLanguage : public guitest::AppWindow {};

TEST_F(DialogLanguage, QtsOwnDialogsFollowTheLanguageSwitch) {
  frontend->setPopupDelegate(nullptr);
  struct Case {
    int language;
    QString yes, no, cancel, print;
  };
  const Case cases[] = {{1, "&Ja", "&Nein", "Abbrechen", "Drucken"}, {0, "&Yes", "&No", "Cancel", "Print"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    bx::SetLanguage(*ctx, c.language);
    settle();
    if (c.language == 1) {
      ASSERT_FALSE(renderer->qtLanguage().file().isEmpty()) << "Qt's German texts not found";
    }
    onceShown<QMessageBox>([&c](QMessageBox* m) {
      EXPECT_EQ(m->button(QMessageBox::Yes)->text(), c.yes);
      EXPECT_EQ(m->button(QMessageBox::No)->text(), c.no);
      m->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(frontend->confirm("A T T E N T I O N !", "?"));
    bx::ui::FileRequest req;
    req.directory = dir;
    req.title = "Quellan-BX-Series Parameter-File";
    std::string path;
    onceShown<QFileDialog>([&c](QFileDialog* d) {
      bool found = false;
      for (auto* b : d->findChildren<QPushButton*>()) found = found || b->text() == c.cancel;
      EXPECT_TRUE(found) << "no button reads " << c.cancel.toStdString();
      d->reject();
    });
    EXPECT_EQ(frontend->fileSelect(req, path), bx::ui::FILE_CANCEL);
    // The printer dialogue's texts are among Qt's translated ones.
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), c.print);
  }
}

}  // namespace
