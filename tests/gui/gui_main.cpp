// The front-end tests need one QApplication for the whole run; without a
// display they use Qt's offscreen platform. BX_TEST_SCREEN (WxH) and
// BX_TEST_FONT_SCALE give them another screen and a larger font.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

// Qt's offscreen screen is 800x600 unless told otherwise, smaller than the
// window's own default size. The tests see a desktop's screen instead, or
// the one BX_TEST_SCREEN names ("1600x1200"); the platform's own options,
// if any are given, stay as they are.
void offscreenScreen() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && std::strcmp(platform, "offscreen") != 0) return;
  int width = 1920, height = 1200;
  if (const char* want = std::getenv("BX_TEST_SCREEN")) std::sscanf(want, "%dx%d", &width, &height);
  char path[] = "/tmp/bx_gui_screen_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return;
  const std::string json = "{\"screens\":[{\"name\":\"test\",\"x\":0,\"y\":0,\"width\":" + std::to_string(width) +
                           ",\"height\":" + std::to_string(height) +
                           ",\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}";
  const bool written = write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
  close(fd);
  if (written) setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + std::string(path)).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  offscreenScreen();
  QApplication app(argc, argv);
  // A larger system font, as an operator may have set: BX_TEST_FONT_SCALE
  // times the platform's own.
  if (const char* scale = std::getenv("BX_TEST_FONT_SCALE")) {
    const double k = std::atof(scale);
    if (k > 0.5 && k < 4) {
      QFont f = QApplication::font();
      if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * k);
      else f.setPixelSize(static_cast<int>(f.pixelSize() * k));
      QApplication::setFont(f);
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // The screen's file is read when the platform starts; it goes with the run.
  if (const char* p = std::getenv("QT_QPA_PLATFORM"); p && std::strncmp(p, "offscreen:configfile=", 21) == 0)
    std::remove(p + 21);
  return result;
}
