// Leaving the desktop tool: the real executable against the simulated
// sensor ends in order on a close request, and the window's close and the
// Exit entry end Qt's loop with the settings written.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "files/settings_file.h"
#include "wire/param_fields.h"
#include "gui/app_window.h"
#include "sim/server.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using guitest::AppWindow;

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A project folder of its own: the executable beside copies of its
// resources, so the settings it writes land there.
class ToolDir {
 public:
  ToolDir() {
    char pattern[] = "/tmp/bx_tool_XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
    const fs::path bin = bx::ExecutableDir();
    for (const auto& e : fs::directory_iterator(bin)) {
      auto ext = e.path().extension().string();
      if (ext == ".uir" || ext == ".lwl" || ext == ".ico" || ext == ".bmp")
        fs::copy_file(e.path(), fs::path(path) / e.path().filename());
    }
    fs::copy_file(bin / "quellan-bx-scope", fs::path(path) / "quellan-bx-scope");
  }
  ~ToolDir() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
  std::string file(const char* name) const { return path + "/" + name; }
  std::string path;
};

// Waits for the child without a timed verdict on a loaded machine beyond
// the limit given; -1 while it still runs at the limit.
int waitExit(pid_t pid, Clock::duration limit, bool& exited) {
  const auto end = Clock::now() + limit;
  int status = 0;
  exited = false;
  for (;;) {
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      exited = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Clock::now() > end) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void closeRequestEndsTheTool(int signal) {
  ToolDir tool;
  ASSERT_FALSE(tool.path.empty());
  bx::sim::Server sensor;
  const int port = sensor.startTcp(0);
  ASSERT_GT(port, 0);
  const std::string settings = tool.file("BX-SCOPE.ini");
  {
    std::ofstream out(settings, std::ios::binary);
    out << "[CONNECTION]\r\nCOM TYPE = 1\r\nRS232 PORT = 1\r\nRS232 BAUDRATE = 4\r\nIP ADDRESS = \"127.0.0.1\"\r\n"
        << "PORT NUMBER = \"" << port << "\"\r\n\r\n[LANGUAGE]\r\nLanguage = 1\r\n";
  }
  const std::string before = readAll(settings);

  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0) envText.emplace_back(*e);
  envText.emplace_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> env;
  for (auto& s : envText) env.push_back(s.data());
  env.push_back(nullptr);
  std::string exe = tool.file("quellan-bx-scope");
  char* argv[] = {exe.data(), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, env.data()), 0);

  // Bring-up ends with reading the parameters from RAM: the tool is up.
  const auto upBy = Clock::now() + std::chrono::seconds(60);
  int status = 0;
  bool gone = false;
  while (sensor.requestCount(0x02) < 1 && Clock::now() < upBy) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      gone = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(gone) << "the tool ended before it was asked to";
  ASSERT_GE(sensor.requestCount(0x02), 1) << "the tool did not bring the sensor up";

  ASSERT_EQ(kill(pid, signal), 0);
  bool exited = false;
  const int code = waitExit(pid, std::chrono::seconds(3), exited);
  if (!exited) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  ASSERT_TRUE(exited) << "still running 3 s after the close request";
  EXPECT_EQ(code, 0);

  // Written on the way out: the window's state and the language as read.
  const std::string after = readAll(settings);
  EXPECT_NE(after, before);
  bx::files::AppSettings s;
  ASSERT_TRUE(bx::files::ReadSettingsFile(settings, s));
  EXPECT_TRUE(s.hasWidth && s.hasHeight && s.hasPosX && s.hasPosY);
  EXPECT_GT(s.width, 0);
  EXPECT_EQ(s.language, 1);
  EXPECT_EQ(s.tcpPort, std::to_string(port));
  // The link was closed on the way out.
  const auto closedBy = Clock::now() + std::chrono::seconds(10);
  while (sensor.tcpClientConnected() && Clock::now() < closedBy)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(sensor.tcpClientConnected());
}

TEST(DesktopTool, TellsItsVersionWithoutADisplay) {
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + bx::ExecutableDir() +
                          "/quellan-bx-scope --version 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int st = ::pclose(p);
  EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << out;
  EXPECT_EQ(out.rfind("quellan-bx-scope 5.5.", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
}

TEST(DesktopTool, EndsInOrderOnTermination) { closeRequestEndsTheTool(SIGTERM); }
TEST(DesktopTool, EndsInOrderOnInterrupt) { closeRequestEndsTheTool(SIGINT); }

// Qt's loop with a guard: 99 when nothing ended it within the guard.
int runLoop() {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(20000);
  return QCoreApplication::exec();
}

TEST_F(AppWindow, ClosingTheWindowEndsTheLoopWithTheSettingsWritten) {
  // Nothing an earlier test left queued may end the loop in its stead.
  QCoreApplication::processEvents();
  const std::string settings = dir + "/BX-SCOPE.ini";
  std::error_code ec;
  fs::remove(settings, ec);
  renderer->mainWindow()->close();
  EXPECT_TRUE(frontend->quitRequested());
  EXPECT_TRUE(fs::exists(settings));
  // The waits still running see the abort flag; the loop itself ends.
  EXPECT_EQ(ctx->link.abort, 1);
  EXPECT_EQ(runLoop(), 0);
  // A second close while leaving asks nothing again.
  renderer->mainWindow()->close();
  bx::AppShutdown(*ctx);
  EXPECT_EQ(ctx->link.abort, 0);
}

TEST_F(AppWindow, ExitEntryEndsTheLoop) {
  QCoreApplication::processEvents();
  int m, i;
  ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "EXIT", m, i));
  QAction* exit = renderer->mainWindow()->menuAction(m, i);
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->shortcut(), QKeySequence("Ctrl+Q"));
  exit->trigger();
  EXPECT_TRUE(fs::exists(dir + "/BX-SCOPE.ini"));
  EXPECT_EQ(runLoop(), 0);
}

// An edited field carries its mark until SEND; Exit with unsent changes
// asks first: Cancel keeps the tool running with the edit, Discard leaves.
class UnsentChanges : public guitest::ConnectedWindow {
 protected:
  QWidget* mark(const char* panel, const char* control) {
    QWidget* w = renderer->widget(ref(panel, control));
    return w ? w->findChild<QWidget*>("editedMark") : nullptr;
  }
  bool marked(const char* panel, const char* control) {
    QWidget* m = mark(panel, control);
    return m != nullptr && !m->isHidden();
  }
  QAction* action(const char* menu, const char* item) {
    int m, i;
    if (!ctx->ui.findMenuItem(menu, item, m, i)) return nullptr;
    return renderer->mainWindow()->menuAction(m, i);
  }
};

TEST_F(UnsentChanges, AnEditIsMarkedUntilSentAndExitAsksFirst) {
  settle();
  const QString title = renderer->mainWindow()->windowTitle();
  EXPECT_FALSE(marked("PARA1", "EXPOSE"));
  auto* expose = widget<QDoubleSpinBox>("PARA1", "EXPOSE");
  ASSERT_NE(expose, nullptr);
  const double was = expose->value();
  expose->setValue(was + 0.5);
  settle();
  EXPECT_TRUE(marked("PARA1", "EXPOSE"));
  EXPECT_NE(renderer->mainWindow()->windowTitle(), title);
  EXPECT_TRUE(renderer->mainWindow()->windowTitle().endsWith("unsent changes"));
  EXPECT_FALSE(marked("PARA1", "POWER"));
  for (int i = 0; i < static_cast<int>(ctx->ui.at(ctx->refs.main.tab).pages.size()); ++i)
    if (ctx->ui.panel(ctx->ui.at(ctx->refs.main.tab).pages[static_cast<size_t>(i)]).name == "PARA1")
      ctx->ui.setActivePage(ctx->refs.main.tab, i);
  settle();
  saveWindow("PARA1-edited");

  // SEND: the sensor holds what is shown, the mark and the title's note go.
  guitest::click(widget<QPushButton>("MAIN", "SEND"));
  settle();
  EXPECT_FALSE(marked("PARA1", "EXPOSE"));
  EXPECT_EQ(renderer->mainWindow()->windowTitle(), title);
  EXPECT_EQ(bx::param::get(sensor.ramParams(), bx::param::INTEGRATION_TIME),
            static_cast<int>(std::lround((was + 0.5) * 100)) * 10);

  // Edited again, then Exit: asked, and Cancel stays with the edit.
  expose->setValue(was);
  settle();
  ASSERT_TRUE(marked("PARA1", "EXPOSE"));
  popups.clearPopups();
  popups.answerChoose(3);
  action("APPLICATION", "EXIT")->trigger();
  ASSERT_EQ(popups.popups().size(), 1u);
  EXPECT_EQ(popups.popups()[0].kind, "choose");
  EXPECT_EQ(popups.popups()[0].directory, "Save parameter file|Send|Discard|Cancel");
  EXPECT_FALSE(frontend->quitRequested());
  EXPECT_TRUE(marked("PARA1", "EXPOSE"));
  // Closing the window asks the same; without an answer nothing is lost.
  renderer->mainWindow()->close();
  EXPECT_FALSE(frontend->quitRequested());
  EXPECT_EQ(popups.popups().size(), 2u);
  // Discard leaves.
  popups.answerChoose(2);
  action("APPLICATION", "EXIT")->trigger();
  EXPECT_TRUE(frontend->quitRequested());
  EXPECT_EQ(runLoop(), 0);
}

}  // namespace
