#include "platform/port_diagnosis.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace bx::platform {
namespace {

bool allDigits(const char* s) {
  if (*s == '\0') return false;
  for (; *s != '\0'; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

std::string groupName(gid_t gid) {
  std::vector<char> buf(16384);
  group g{};
  group* found = nullptr;
  if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &found) == 0 && found != nullptr) return g.gr_name;
  return std::to_string(gid);
}

bool processAlive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// The process id a lock file holds: ten ASCII digits (padded), or an int
// written raw by older programs. 0 when it holds neither.
pid_t lockFilePid(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  char buf[64] = {};
  struct stat st {};
  ssize_t n = 0;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) n = ::read(fd, buf, sizeof buf - 1);
  ::close(fd);
  if (n <= 0) return 0;
  const char* p = buf;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p >= '0' && *p <= '9') {
    const long v = std::strtol(p, nullptr, 10);
    return v > 0 && v < 0x7fffffff ? static_cast<pid_t>(v) : 0;
  }
  if (n == static_cast<ssize_t>(sizeof(int))) {
    int v = 0;
    std::memcpy(&v, buf, sizeof v);
    return v > 0 ? static_cast<pid_t>(v) : 0;
  }
  return 0;
}

}  // namespace

std::string programOf(long pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (f) std::getline(f, name);
  return name;
}

std::vector<PortHolder> portHolders(const std::string& device) {
  std::vector<PortHolder> out;
  struct stat dev {};
  if (::stat(device.c_str(), &dev) != 0 || !S_ISCHR(dev.st_mode)) return out;
  const pid_t self = ::getpid();
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return out;
  while (const dirent* e = ::readdir(proc)) {
    if (!allDigits(e->d_name)) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
    if (pid == self) continue;
    const std::string fdDir = std::string("/proc/") + e->d_name + "/fd";
    DIR* fds = ::opendir(fdDir.c_str());
    if (fds == nullptr) continue;  // another account's process, or gone
    bool holds = false;
    while (const dirent* f = ::readdir(fds)) {
      if (!allDigits(f->d_name)) continue;
      struct stat st {};
      if (::stat((fdDir + "/" + f->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == dev.st_rdev) {
        holds = true;
        break;
      }
    }
    ::closedir(fds);
    if (holds) out.push_back({pid, programOf(pid)});
  }
  ::closedir(proc);
  std::sort(out.begin(), out.end(), [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
  return out;
}

bool heldLockFile(const std::string& device, const std::string& lockDir, std::string& path, PortHolder& holder) {
  // LCK..ttyUSB0 for /dev/ttyUSB0; a device in a subfolder of /dev is
  // named with '_' (LCK..pts_3) by some programs, by its last part by others.
  std::string rest = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
  const std::string base = rest.substr(rest.rfind('/') + 1);
  std::replace(rest.begin(), rest.end(), '/', '_');
  for (const std::string& name : {rest, base}) {
    if (name.empty()) continue;
    const std::string p = lockDir + "/LCK.." + name;
    const pid_t pid = lockFilePid(p);
    // A lock of a process that has ended is stale, and one of ours no lock.
    if (pid == 0 || pid == ::getpid() || !processAlive(pid)) continue;
    path = p;
    holder = {pid, programOf(pid)};
    return true;
  }
  return false;
}

PortDiagnosis diagnoseNotPresent(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotPresent;
  d.device = device;
  d.present = listPorts();
  return d;
}

PortDiagnosis diagnoseNotPermitted(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotPermitted;
  d.device = device;
  struct stat st {};
  if (::stat(device.c_str(), &st) == 0) {
    d.gid = st.st_gid;
    d.mode = st.st_mode & 07777;
    d.group = groupName(st.st_gid);
  }
  const uid_t uid = ::geteuid();
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr) {
    d.user = pw.pw_name;
    // The user database: primary group and supplementary memberships.
    int n = 64;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    if (::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &n) < 0 && n > 0) {
      groups.resize(static_cast<size_t>(n));
      (void)::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &n);
    }
    groups.resize(static_cast<size_t>(std::max(n, 0)));
    d.memberOnPaper = std::find(groups.begin(), groups.end(), d.gid) != groups.end();
  } else {
    d.user = std::to_string(uid);
  }
  // This login session: the groups the process runs with.
  d.memberInSession = ::getegid() == d.gid;
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    if (got > 0 && std::find(groups.begin(), groups.begin() + got, d.gid) != groups.begin() + got)
      d.memberInSession = true;
  }
  return d;
}

PortDiagnosis diagnoseInUse(const std::string& device, PortHold how) {
  PortDiagnosis d;
  d.problem = PortProblem::InUse;
  d.device = device;
  d.hold = how;
  d.holders = portHolders(device);
  return d;
}

PortDiagnosis diagnoseNotSerial(const std::string& device) {
  PortDiagnosis d;
  d.problem = PortProblem::NotSerial;
  d.device = device;
  return d;
}

PortDiagnosis diagnoseOpenError(const std::string& device, int err) {
  switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR: return diagnoseNotPresent(device);
    case EACCES:
    case EPERM: return diagnoseNotPermitted(device);
    case EBUSY: return diagnoseInUse(device, PortHold::Exclusive);
    default: break;
  }
  PortDiagnosis d;
  d.device = device;
  return d;
}

}  // namespace bx::platform
