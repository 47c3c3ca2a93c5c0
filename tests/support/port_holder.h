#pragma once
// Another program on a serial port (the simulator's pseudo-terminal), and a
// port path that does not exist, for the tests of opening a port.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace bx::testsupport {

inline int openSlave(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// A second program on the port: it opens it and, as asked, puts it in
// exclusive mode or takes a flock on it, until the test lets it go.
class Holder {
 public:
  Holder(const std::string& path, bool exclusive, bool lock) {
    int ready[2], release[2];
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = openSlave(path);
      if (fd >= 0 && exclusive) (void)::ioctl(fd, TIOCEXCL);
      if (fd >= 0 && lock) (void)::flock(fd, LOCK_EX);
      char b = fd >= 0 ? 1 : 0;
      (void)!::write(ready[1], &b, 1);
      (void)!::read(release[0], &b, 1);  // until the test closes its end
      if (fd >= 0) (void)::ioctl(fd, TIOCNXCL);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    releaseFd_ = release[1];
    char b = 0;
    ok_ = pid_ > 0 && ::read(ready[0], &b, 1) == 1 && b == 1;
    ::close(ready[0]);
  }
  ~Holder() {
    if (releaseFd_ >= 0) ::close(releaseFd_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  pid_t pid() const { return pid_; }
  bool ok() const { return ok_; }

 private:
  pid_t pid_ = -1;
  int releaseFd_ = -1;
  bool ok_ = false;
};

// A pseudo-terminal path with a COM number that nobody has open.
inline std::string freePtyPath() {
  for (int n = 158; n > 0; --n) {
    const std::string p = "/dev/pts/" + std::to_string(n);
    if (::access(p.c_str(), F_OK) != 0) return p;
  }
  return "/dev/pts/none";
}

}  // namespace bx::testsupport
