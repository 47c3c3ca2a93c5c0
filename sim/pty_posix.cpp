#include "sim/pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace bx::sim {

int openPtyMaster(std::string& slavePath) {
  slavePath.clear();
  const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::array<char, 128> name{};
  termios tio{};
  bool ok = grantpt(fd) == 0 && unlockpt(fd) == 0 && ptsname_r(fd, name.data(), name.size()) == 0 &&
            tcgetattr(fd, &tio) == 0;
  if (ok) {
    // Raw both ways: binary frames must pass untouched, and an echoing line
    // discipline would send every reply straight back as a request.
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    ok = tcsetattr(fd, TCSANOW, &tio) == 0;
  }
  if (ok) {
    const int flags = fcntl(fd, F_GETFL);
    ok = flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
  }
  if (!ok) {
    close(fd);
    return -1;
  }
  slavePath = name.data();
  return fd;
}

}  // namespace bx::sim
