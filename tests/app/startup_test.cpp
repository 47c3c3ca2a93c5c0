// Start-up and shutdown of the whole tool against real files in a temp
// project directory and the simulator on loopback TCP.
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <functional>

#include "app/app_fixture.h"
#include "app/paths.h"
#include "calib_pages/settings_page.h"
#include "files/settings_file.h"
#include "link/transport.h"
#include "params/hwinfo.h"
#include "recorder/rec_page.h"
#include "scope/print.h"
#include "sim/server.h"

namespace bx {
namespace {

using testing_app::App;
using testing_app::tcpSettings;

// A loopback port that nobody listens on: bound, then closed again.
int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

TEST(AppStartup, WithoutSettingsStartsInEnglishOnRs232DefaultsOnTheConnectionPage) {
  App app;
  ASSERT_EQ(app.startOffline(), 0);
  auto& c = *app.ctx;
  EXPECT_EQ(c.app.language, 0);
  EXPECT_EQ(c.link.transport, TRANSPORT_RS232);
  EXPECT_EQ(c.link.comPort, 1);
  EXPECT_EQ(c.link.baudIndex, 4);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.comType), 0);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.comPort), 1);
  EXPECT_EQ(c.ui.intValue(c.refs.conn.baudRate), 4);
  EXPECT_EQ(c.ui.text(c.refs.conn.tcpPort), "5000");
  EXPECT_EQ(c.ui.text(c.refs.conn.ipAddr), "");
  EXPECT_EQ(c.ui.activePage(c.refs.main.tab), 7);
  // RS-232 form: the TCP fields dimmed, the COM display shown.
  EXPECT_TRUE(c.ui.dimmed(c.refs.conn.ipAddr));
  EXPECT_FALSE(c.ui.dimmed(c.refs.conn.baudRate));
  EXPECT_TRUE(c.ui.visible(c.refs.main.comPortDisp));
  EXPECT_FALSE(c.ui.visible(c.refs.main.ipDisp));
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-gb.ico");
  EXPECT_TRUE(app.menuItem("SETTINGS", "English").checked);
  EXPECT_FALSE(app.menuItem("SETTINGS", "German").checked);
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Try to connect");
  EXPECT_TRUE(app.front.popups().empty());
  EXPECT_EQ(c.run.state, RUN_IDLE);
  EXPECT_EQ(c.calib.locked, 1);
  EXPECT_TRUE(app.panel("MAIN").visible);
  EXPECT_FALSE(app.panel("HELP").visible);
  EXPECT_EQ(c.ui.text(c.ui.find("MAIN", "TITLE")), "Quellan-BX-Scope ");
  EXPECT_EQ(c.ui.text(c.ui.find("MAIN", "VERSION")), "V5.5");
  // The calibration settings page's copy of the laser power shows its start.
  EXPECT_EQ(c.ui.value(c.ui.find("TAB_SETT", "CAL_POWER")), c.ui.value(c.ui.find("PARA1", "POWER")));
  EXPECT_EQ(c.ui.value(c.ui.find("TAB_SETT", "CAL_POWER")), 500);
}

TEST(AppStartup, UnreachableSensorLeavesTheToolOnTheConnectionPage) {
  App app;
  int port = closedPort();
  ASSERT_GT(port, 0);
  app.dir.write("BX-SCOPE.ini", tcpSettings(port));
  ASSERT_EQ(app.startOnline(), 0);
  EXPECT_EQ(app.ctx->ui.activePage(app.ctx->refs.main.tab), 7);
  EXPECT_EQ(app.ctx->ui.text(app.ctx->refs.main.connected), "DISCONNECTED");
  EXPECT_TRUE(app.ctx->ui.dimmed(app.ctx->refs.main.run));
}

TEST(AppStartup, SettingsNamingTheSimulatorStartConnectedOnPageZero) {
  sim::Server server;
  int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  App app;
  app.dir.write("BX-SCOPE.ini", tcpSettings(port, "[LANGUAGE]\nLanguage = 1\n"));
  ASSERT_EQ(app.startOnline(), 0);
  auto& c = *app.ctx;
  EXPECT_EQ(c.ui.activePage(c.refs.main.tab), 0);
  EXPECT_EQ(c.app.activePage, 0);
  EXPECT_TRUE(TcpOpen(c.link));
  EXPECT_EQ(c.ui.text(c.refs.main.connected), "VERBUNDEN");
  EXPECT_FALSE(c.ui.dimmed(c.refs.main.get));
  EXPECT_FALSE(c.ui.dimmed(c.refs.main.send));
  // Controls whose function this build lacks stay dimmed after a connect.
  EXPECT_EQ(c.ui.dimmed(c.refs.main.run), !c.ui.at(c.refs.main.run).callbackBound);
  EXPECT_EQ(c.ui.text(c.refs.conn.ipAddr), "127.0.0.1");
  EXPECT_TRUE(c.ui.visible(c.refs.main.ipDisp));
  EXPECT_TRUE(c.ui.dimmed(c.refs.conn.baudRate));
  // The stored language is in force.
  EXPECT_EQ(c.app.language, 1);
  EXPECT_EQ(c.ui.text(c.refs.main.langFlag), "flag-de.ico");
  EXPECT_EQ(app.label("CONN", "TRY_CONNECT"), "Verbinden");

  // The test button: press clears, release sends the test order at once.
  c.ui.fire(c.refs.main.test, ui::EVENT_LEFT_CLICK);
  EXPECT_EQ(c.ui.text(c.refs.main.status), "TEST-Taste gedrückt!");
  int echoes = server.requestCount(5);
  c.ui.fire(c.refs.main.test, ui::EVENT_COMMIT);
  EXPECT_EQ(c.status, "GET LINE OK from sensor ... -> Ok!");
  EXPECT_EQ(server.requestCount(5), echoes + 1);

  AppShutdown(c);
  EXPECT_FALSE(TcpOpen(c.link));
}

TEST(AppStartup, StoredAddressesFillTheAddressList) {
  App app;
  app.dir.write("BX-SCOPE.ini",
                "[IP ADDRESSES]\nLIST ITEMS = 3\nIP ADDR 1 = \"10.0.0.1\"\nIP ADDR 2 = \"10.0.0.2\"\n"
                "IP ADDR 3 = \"192.168.100.50\"\n[APPLICATION]\nPanel max = 0\nPanel pos. x = 40\n"
                "Panel pos. y = 30\nPanel width  = 1100\nPanel height = 700\nGUI mmButtonState = 1\n"
                "MAX/MIN State = 1\n");
  ASSERT_EQ(app.startOffline(), 0);
  const auto& items = app.ctx->ui.at(app.ctx->refs.conn.ipAddr).items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].label, "10.0.0.1");
  EXPECT_EQ(items[1].label, "10.0.0.2");
  EXPECT_EQ(items[2].label, "192.168.100.50");
  const ui::Panel& main = app.panel("MAIN");
  EXPECT_EQ(main.left, 40);
  EXPECT_EQ(main.top, 30);
  EXPECT_EQ(main.width, 1100);
  EXPECT_EQ(main.height, 700);
  EXPECT_FALSE(main.maximized);
  EXPECT_EQ(app.ctx->params.unitMm, 1);
  EXPECT_EQ(app.ctx->ui.intValue(app.ctx->refs.main.mmSwitch), 1);
  EXPECT_EQ(app.ctx->app.maxMinState, 1);
  EXPECT_TRUE(app.ctx->ui.visible(app.ctx->ui.find("VIDEO", "MAXVAL")));
}

TEST(AppStartup, BrokenOrMissingResourceFailsBeforeAnythingIsShown) {
  {
    App app;
    app.dir.write("Quellan-BX-ScopeV55.uir", "panel MAIN id=3\nbogus-kind X at=0,0\n");
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("Quellan-BX-ScopeV55.uir"), std::string::npos) << error;
    EXPECT_TRUE(app.front.popups().empty());
  }
  {
    App app;
    std::filesystem::remove(app.dir.file("Quellan-BX-ScopeV55.uir"));
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  }
  {
    // A resource without the controls the core needs.
    App app;
    app.dir.write("Quellan-BX-ScopeV55.uir", "panel MAIN id=3\ntext STATUS at=0,0\n");
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    EXPECT_NE(error.find("missing controls"), std::string::npos) << error;
  }
  {
    // Every control the core writes is found at start-up, not when first
    // used: one missing from a page names it, and so does a teach table of
    // another shape.
    App app;
    const struct {
      const char* file;
      const char* line;  // start of the line that goes
      const char* named;
    } cuts[] = {
        {"page_scope.uir", "numeric DELTAX ", "SCOPE.DELTAX"},
        {"page_rec.uir", "toggle ZOOMREC ", "REC.ZOOMREC"},
        {"page_video.uir", "text TRIGTEXT ", "VIDEO.TRIGTEXT"},
        // The calibration lock's switch and a settings copy, found once too.
        {"Quellan-BX-ScopeV55.uir", "switch SERVICESW ", "TAB_SETT.SERVICESW"},
        {"Quellan-BX-ScopeV55.uir", "numeric CAL_POWER ", "TAB_SETT.CAL_POWER"},
    };
    for (const auto& file : {"page_scope.uir", "page_rec.uir", "page_video.uir", "Quellan-BX-ScopeV55.uir"}) {
      std::ifstream in(std::string(BX_RESOURCE_DIR) + "/" + file);
      std::string text, line;
      while (std::getline(in, line)) {
        bool goes = false;
        for (const auto& cut : cuts) goes = goes || (cut.file == std::string(file) && line.rfind(cut.line, 0) == 0);
        if (!goes) text += line + "\n";
      }
      app.dir.write(file, text);
    }
    std::ifstream in(std::string(BX_RESOURCE_DIR) + "/page_teach.uir");
    std::string teach((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t kinds = teach.find("colkinds=0,0,1,");
    ASSERT_NE(kinds, std::string::npos);
    teach.replace(kinds, 15, "colkinds=0,1,0,");
    app.dir.write("page_teach.uir", teach);
    std::string error;
    EXPECT_EQ(AppStartup(*app.ctx, error, app.dir.path(), StartOptions{false}), -1);
    for (const auto& cut : cuts) EXPECT_NE(error.find(cut.named), std::string::npos) << error;
    EXPECT_NE(error.find("TEACH.TABLE"), std::string::npos) << error;
  }
}

// Where the tool keeps its files: a portable folder keeps everything beside
// the executable; an installed tree (bin/ beside share/quellan-bx-scope/)
// or a folder the account cannot write keeps the settings in the user's
// configuration folder and starts the file dialogues in the documents.

namespace fs = std::filesystem;

// A temp tree with a folder for the executable, the installed data folder
// beside it, and the user's home with its configuration and documents.
struct Tree {
  std::string root;
  Tree() {
    std::string pattern = ::testing::TempDir() + "bx-tree-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data())) root = made;
    // Searchable by the unprivileged account some cases run as.
    ::chmod(root.c_str(), 0755);
    for (const char* d : {"bin", "portable", "share/quellan-bx-scope", "home/.config", "home/Documents"})
      fs::create_directories(root + "/" + d);
  }
  ~Tree() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string operator()(const std::string& rel) const { return root + "/" + rel; }
  void resourcesInto(const std::string& rel) const {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(BX_RESOURCE_DIR, ec))
      if (e.is_regular_file()) fs::copy_file(e.path(), (*this)(rel) + "/" + e.path().filename().string(), ec);
    for (const char* f : {"loc_en_params.lwl", "loc_de_params.lwl"})
      if (!fs::exists((*this)(rel) + "/" + f)) write(rel + "/" + f, "# no texts\n");
  }
  void write(const std::string& rel, const std::string& text) const {
    std::ofstream out((*this)(rel), std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::string read(const std::string& rel) const {
    std::ifstream in((*this)(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  platform::UserDirs user() const {
    return {(*this)("home"), (*this)("home/.config"), (*this)("home/Documents"), (*this)("home/.local/share")};
  }
  // The account's own home: an unprivileged account must be able to make
  // its configuration folder there.
  void giveHomeTo(uid_t uid, gid_t gid) const {
    for (const auto& e : fs::recursive_directory_iterator((*this)("home"))) ::chown(e.path().c_str(), uid, gid);
    ::chown((*this)("home").c_str(), uid, gid);
  }
};

constexpr uid_t kNobody = 65534;

// Runs fn in a child process as an account that is not root (root may
// write into any folder, whatever its mode), and returns what fn returned.
std::string asUnprivileged(const Tree& tree, const std::function<std::string()>& fn) {
  if (::geteuid() == 0) tree.giveHomeTo(kNobody, kNobody);
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      ::_exit(3);
    const std::string out = fn();
    if (::write(fds[1], out.data(), out.size()) < 0) ::_exit(4);
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buf[512];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int st = 0;
  ::waitpid(pid, &st, 0);
  if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) return "child failed " + std::to_string(st);
  return out;
}

std::string describe(const AppPaths& p) {
  return "resources=" + p.resourceDir + " portable=" + std::to_string(p.portable) + " settings=" + p.settingsPath +
         " seed=" + p.settingsSeed + " files=" + p.userFilesDir + " backups=" + p.calibBackupDir;
}

TEST(AppFiles, PortableFolderKeepsEverythingBesideTheExecutable) {
  Tree t;
  t.resourcesInto("portable");
  t.write("portable/BX-SCOPE.ini", "[LANGUAGE]\nLanguage = 1\n");
  const AppPaths p = LocateAppPaths(t("portable"), t.user());
  EXPECT_EQ(describe(p), describe(AppPaths{t("portable"), true, t("portable/BX-SCOPE.ini"), "", t("portable"),
                                                  t("portable/calib-backups")}));
  std::string error;
  EXPECT_TRUE(PrepareSettingsFile(p, error)) << error;
  EXPECT_FALSE(fs::exists(t("home/.config/quellan-bx-scope"))) << "nothing made in the user's folders";
}

TEST(AppFiles, InstalledTreeFindsItsDataAndKeepsSettingsInTheConfigFolder) {
  // Also where the account could write beside the executable: an
  // installed copy run by root must not write into bin/.
  struct Case {
    const char* seedAt;  // where a settings file lies before the first start ("": nowhere)
    const char* seed;    // the seed chosen
  } cases[] = {
      {"", ""},
      {"bin/BX-SCOPE.ini", "bin/BX-SCOPE.ini"},
      {"share/quellan-bx-scope/BX-SCOPE.ini", "share/quellan-bx-scope/BX-SCOPE.ini"},
  };
  for (const Case& c : cases) {
    Tree t;
    t.resourcesInto("share/quellan-bx-scope");
    if (*c.seedAt) t.write(c.seedAt, "[CONNECTION]\r\nRS232 PORT = 7\r\n");
    const AppPaths p = LocateAppPaths(t("bin"), t.user());
    EXPECT_EQ(describe(p), describe(AppPaths{t("share/quellan-bx-scope"), false,
                                             t("home/.config/quellan-bx-scope/BX-SCOPE.ini"),
                                             *c.seed ? t(c.seed) : "", t("home/Documents"),
                                             t("home/.local/share/quellan-bx-scope/calib-backups")}))
        << c.seedAt;
  }
}

TEST(AppFiles, ReadOnlyPortableFolderKeepsSettingsInTheConfigFolder) {
  Tree t;
  t.resourcesInto("portable");
  t.write("portable/BX-SCOPE.ini", "[LANGUAGE]\r\nLanguage = 1\r\n");
  ::chmod(t("portable").c_str(), 0555);
  const std::string seen = asUnprivileged(t, [&] {
    const AppPaths p = LocateAppPaths(t("portable"), t.user());
    std::string error;
    const bool ok = PrepareSettingsFile(p, error);
    return describe(p) + (ok ? "" : " error=" + error);
  });
  ::chmod(t("portable").c_str(), 0755);
  EXPECT_EQ(seen, describe(AppPaths{t("portable"), false, t("home/.config/quellan-bx-scope/BX-SCOPE.ini"),
                                    t("portable/BX-SCOPE.ini"), t("home/Documents"),
                                    t("home/.local/share/quellan-bx-scope/calib-backups")}));
  // Seeded byte for byte.
  EXPECT_EQ(t.read("home/.config/quellan-bx-scope/BX-SCOPE.ini"), "[LANGUAGE]\r\nLanguage = 1\r\n");
}

TEST(AppFiles, SeedingCopiesOnceAndLeavesTheUsersFileAlone) {
  Tree t;
  t.resourcesInto("share/quellan-bx-scope");
  const std::string seed = "[CONNECTION]\r\nCOM TYPE = 1\r\n";
  t.write("bin/BX-SCOPE.ini", seed);
  // A seed from a read-only folder is often read-only itself.
  ::chmod(t("bin/BX-SCOPE.ini").c_str(), 0444);
  const AppPaths p = LocateAppPaths(t("bin"), t.user());
  std::string error;
  ASSERT_TRUE(PrepareSettingsFile(p, error)) << error;
  EXPECT_EQ(t.read("home/.config/quellan-bx-scope/BX-SCOPE.ini"), seed);
  struct stat st {};
  ASSERT_EQ(::stat(p.settingsPath.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR) << "the user's copy takes the next write";

  // The user's own file is never replaced by the seed again.
  t.write("home/.config/quellan-bx-scope/BX-SCOPE.ini", "[LANGUAGE]\r\nLanguage = 1\r\n");
  ASSERT_TRUE(PrepareSettingsFile(p, error)) << error;
  EXPECT_EQ(t.read("home/.config/quellan-bx-scope/BX-SCOPE.ini"), "[LANGUAGE]\r\nLanguage = 1\r\n");

  // A configuration folder that cannot be made is reported.
  AppPaths blocked = p;
  t.write("home/file", "");
  blocked.settingsPath = t("home/file/quellan-bx-scope/BX-SCOPE.ini");
  EXPECT_FALSE(PrepareSettingsFile(blocked, error));
  EXPECT_NE(error.find(t("home/file")), std::string::npos) << error;
}

TEST(AppFiles, UserFoldersFollowTheEnvironmentAndUserDirs) {
  struct Saved {
    const char* name;
    std::string value;
    bool set;
  } saved[] = {{"HOME", "", false}, {"XDG_CONFIG_HOME", "", false}};
  for (auto& v : saved)
    if (const char* e = std::getenv(v.name)) v.value = e, v.set = true;
  Tree t;
  ::setenv("HOME", t("home").c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  platform::UserDirs d = platform::CurrentUserDirs();
  EXPECT_EQ(d.home, t("home"));
  EXPECT_EQ(d.configHome, t("home/.config"));
  EXPECT_EQ(d.documents, t("home")) << "no user-dirs.dirs: the home folder";

  fs::create_directories(t("cfg"));
  fs::create_directories(t("home/Dokumente"));
  t.write("cfg/user-dirs.dirs", "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  ::setenv("XDG_CONFIG_HOME", t("cfg").c_str(), 1);
  d = platform::CurrentUserDirs();
  EXPECT_EQ(d.configHome, t("cfg"));
  EXPECT_EQ(d.documents, t("home/Dokumente"));
  // A documents folder that does not exist: the home folder.
  t.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
  EXPECT_EQ(platform::CurrentUserDirs().documents, t("home"));
  // A relative XDG_CONFIG_HOME is not valid and is ignored.
  ::setenv("XDG_CONFIG_HOME", "cfg", 1);
  EXPECT_EQ(platform::CurrentUserDirs().configHome, t("home/.config"));

  for (auto& v : saved) v.set ? ::setenv(v.name, v.value.c_str(), 1) : ::unsetenv(v.name);

  struct Line {
    const char* text;
    const char* documents;
  } lines[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"", "/h/Documents"},
      {"  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\r", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"", ""},     // the home folder itself: not set
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"", ""},  // no such variable
      {"XDG_DOCUMENTS_DIR=\"docs\"", ""},       // relative
      {"XDG_DOCUMENTS_DIR=$HOME/Documents", ""},  // unquoted
      {"# XDG_DOCUMENTS_DIR=\"/x\"", ""},
      {"XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"", "/b"},
  };
  for (const Line& l : lines) EXPECT_EQ(platform::DocumentsDirFromUserDirs(l.text, "/h"), l.documents) << l.text;
}

TEST(AppFiles, InstalledToolStartsFromItsDataAndWritesSettingsAndFilesForTheUser) {
  sim::Server server;
  const int port = server.startTcp(0);
  ASSERT_GT(port, 0);
  Tree t;
  t.resourcesInto("share/quellan-bx-scope");
  const std::string seed = tcpSettings(port, "[LANGUAGE]\nLanguage = 1\n");
  t.write("bin/BX-SCOPE.ini", seed);
  const platform::UserDirs user = t.user();
  auto ctx = std::make_unique<Context>();
  ui::HeadlessFrontend front;
  ctx->ui.frontend = &front;
  std::string error;
  ASSERT_EQ(AppStartup(*ctx, error, t("bin"), StartOptions{true, &user}), 0) << error;
  // The seeded settings are in force: German from the data folder, connected.
  EXPECT_EQ(ctx->app.language, 1);
  EXPECT_EQ(ctx->app.texts.message("Quick-Start manual opened!"), "Schnellstart-Handbuch geöffnet!");
  EXPECT_TRUE(TcpOpen(ctx->link));
  EXPECT_EQ(ctx->ui.text(ctx->ui.find("REC", "FILE")), t("home/Documents/RECORD.DAT"));

  // Every file dialogue starts in the documents folder.
  const std::vector<std::pair<const char*, std::function<void()>>> dialogues = {
      {"parameter file", [&] {
         int m, i;
         ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "LOAD_CONFIG", m, i));
         ctx->ui.fireMenu(m, i);
       }},
      {"recorder file", [&] { CC_PICBTNrecfile(*ctx, ui::EventArgs{-1, -1, ui::EVENT_COMMIT}); }},
      {"hardware info file", [&] { GenerateHardwareInfoFile(*ctx); }},
      {"calibration data file", [&] { CC_PICBTNcalibfile(*ctx, ui::EventArgs{-1, -1, ui::EVENT_COMMIT}); }},
      {"scope print-out as PDF", [&] {
         front.setPrinting(true);
         PrintScopeGraph(*ctx);
       }},
  };
  for (const auto& [what, open] : dialogues) {
    front.clearPopups();
    open();
    const ui::HeadlessFrontend::Popup* file = nullptr;
    for (const auto& p : front.popups())
      if (p.kind == "file") file = &p;
    ASSERT_NE(file, nullptr) << what;
    EXPECT_EQ(file->directory, t("home/Documents")) << what;
  }

  // Leaving writes the settings into the configuration folder, in the
  // file's own format, and nothing beside the executable.
  int m, i;
  ASSERT_TRUE(ctx->ui.findMenuItem("APPLICATION", "EXIT", m, i));
  ctx->ui.fireMenu(m, i);
  AppShutdown(*ctx);
  EXPECT_EQ(t.read("bin/BX-SCOPE.ini"), seed);
  files::AppSettings s;
  ASSERT_TRUE(files::ReadSettingsFile(t("home/.config/quellan-bx-scope/BX-SCOPE.ini"), s));
  EXPECT_EQ(s.tcpPort, std::to_string(port));
  EXPECT_EQ(s.language, 1);
  EXPECT_TRUE(s.hasWidth && s.hasPosX);
  EXPECT_FALSE(fs::exists(t("share/quellan-bx-scope/BX-SCOPE.ini")));
}

}  // namespace
}  // namespace bx
