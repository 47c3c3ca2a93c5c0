#pragma once
// A project directory in a temp folder holding copies of the resources, a
// fresh context with the headless front-end, and helpers to operate it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/app.h"
#include "context/context.h"
#include "ui/headless.h"

namespace bx::testing_app {

class ProjectDir {
 public:
  ProjectDir() {
    std::string pattern = ::testing::TempDir() + "bx-app-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(BX_RESOURCE_DIR, ec))
      if (e.is_regular_file()) std::filesystem::copy_file(e.path(), path_ + "/" + e.path().filename().string(), ec);
    // The parameter pages' texts come from files of their own; an empty one
    // stands in where the source tree has none yet.
    for (const char* f : {"loc_en_params.lwl", "loc_de_params.lwl"})
      if (!std::filesystem::exists(file(f))) write(f, "# no texts\n");
  }
  ~ProjectDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ProjectDir(const ProjectDir&) = delete;
  ProjectDir& operator=(const ProjectDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

 private:
  std::string path_;
};

// Settings file text naming a TCP sensor.
inline std::string tcpSettings(int port, const std::string& extra = "") {
  return "[CONNECTION]\nCOM TYPE = 1\nRS232 PORT = 1\nRS232 BAUDRATE = 4\nIP ADDRESS = \"127.0.0.1\"\n"
         "PORT NUMBER = \"" +
         std::to_string(port) + "\"\n" + extra;
}

struct App {
  ProjectDir dir;
  std::unique_ptr<Context> ctx = std::make_unique<Context>();
  ui::HeadlessFrontend front;

  App() { ctx->ui.frontend = &front; }
  ~App() { AppShutdown(*ctx); }

  // Start-up without opening a link: no device is touched.
  int startOffline() {
    std::string error;
    int r = AppStartup(*ctx, error, dir.path(), StartOptions{false});
    EXPECT_EQ(r, 0) << error;
    return r;
  }
  int startOnline() {
    std::string error;
    int r = AppStartup(*ctx, error, dir.path());
    EXPECT_EQ(r, 0) << error;
    return r;
  }

  ui::CtlRef ref(const char* panel, const char* control) const {
    ui::CtlRef r = ctx->ui.find(panel, control);
    EXPECT_TRUE(r.valid()) << panel << "." << control;
    return r;
  }
  const std::string& label(const char* panel, const char* control) const {
    return ctx->ui.at(ref(panel, control)).label;
  }
  const ui::MenuItem& menuItem(const char* menu, const char* item) const {
    int m = -1, i = -1;
    EXPECT_TRUE(ctx->ui.findMenuItem(menu, item, m, i)) << menu << "." << item;
    return ctx->ui.menuBar.menus.at(static_cast<size_t>(m)).items.at(static_cast<size_t>(i));
  }
  int fireMenu(const char* menu, const char* item) {
    int m = -1, i = -1;
    EXPECT_TRUE(ctx->ui.findMenuItem(menu, item, m, i));
    return ctx->ui.fireMenu(m, i);
  }
  bool sawPopup(const std::string& title, const std::string& text) const {
    for (const auto& p : front.popups())
      if (p.title == title && p.text == text) return true;
    return false;
  }
  const ui::Panel& panel(const char* name) const { return ctx->ui.panel(ctx->ui.findPanel(name)); }
};

}  // namespace bx::testing_app
