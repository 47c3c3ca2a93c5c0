#include "sim/server.h"

#include <algorithm>
#include <vector>

#include "sim/pty.h"
#include "sim/sys.h"
#include "sim/tcp_listener.h"

namespace bx::sim {
namespace {

// While nobody has the pty's slave open the master reports a hang-up on
// every poll; look again at this pace instead of spinning.
constexpr int64_t kPtyIdleRetryMs = 20;
constexpr size_t kReadChunk = 4096;

}  // namespace

Server::Server(const Config& cfg) : sensor_(cfg), epoch_(std::chrono::steady_clock::now()) {
  for (auto& p : pacers_) p.setBaud(cfg.paceBaud);
  int r = -1, w = -1;
  if (sys::openWakePair(r, w)) {
    wakeRead_ = r;
    wakeWrite_ = w;
  }
}

Server::~Server() {
  stop();
  sys::closeFd(wakeRead_);
  sys::closeFd(wakeWrite_);
}

int64_t Server::nowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - epoch_).count();
}

void Server::wake() {
  if (wakeWrite_ < 0) return;
  const uint8_t b = 1;
  // A full pipe already guarantees a wake-up.
  (void)sys::transmit(wakeWrite_, &b, 1, false);
}

void Server::ensureThread() {
  if (thread_.joinable()) return;
  stopRequested_ = false;
  thread_ = std::thread(&Server::run, this);
}

int Server::startTcp(int port) {
  std::lock_guard<std::mutex> lock(mu_);
  if (listenFd_ >= 0) return port_;
  if (wakeRead_ < 0) return -1;
  int bound = 0;
  const int fd = openTcpListener(port, bound);
  if (fd < 0) return -1;
  listenFd_ = fd;
  port_ = bound;
  ensureThread();
  wake();
  return port_;
}

std::string Server::startPty() {
  std::lock_guard<std::mutex> lock(mu_);
  auto& pty = ch_[kPtyChannel];
  if (pty.fd >= 0) return ptyPath_;
  if (wakeRead_ < 0) return {};
  std::string path;
  const int fd = openPtyMaster(path);
  if (fd < 0) return {};
  pty.fd = fd;
  ptyPath_ = path;
  ptyRetryAt_ = 0;
  ensureThread();
  wake();
  return ptyPath_;
}

void Server::stop() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stopRequested_ = true;
  }
  wake();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mu_);
  sys::closeFd(listenFd_);
  listenFd_ = -1;
  port_ = -1;
  for (int c = 0; c < kChannels; ++c) {
    auto& ch = ch_[static_cast<size_t>(c)];
    sys::closeFd(ch.fd);
    ch = Channel{};
    sensor_.resetChannel(c);
  }
  ptyPath_.clear();
}

void Server::enqueue(std::vector<Output>&& out) {
  for (auto& o : out) {
    auto& ch = ch_[static_cast<size_t>(std::clamp(o.channel, 0, kChannels - 1))];
    // Output for a peer that is not there is lost, as on a real line.
    if (ch.fd < 0) continue;
    if (o.held) {
      ch.heldRest = std::move(o.bytes);
      continue;
    }
    if (!ch.heldRest.empty() && !o.close) {
      Output rest;
      rest.channel = o.channel;
      rest.atMs = o.atMs;
      rest.bytes.swap(ch.heldRest);
      ch.queue.push_back(std::move(rest));
    }
    ch.queue.push_back(std::move(o));
  }
}

void Server::dropTcpClient() {
  auto& ch = ch_[kTcpChannel];
  sys::closeFd(ch.fd);
  ch = Channel{};
  sensor_.resetChannel(kTcpChannel);
}

void Server::flush(int channel, int64_t now) {
  auto& ch = ch_[static_cast<size_t>(channel)];
  ch.blocked = false;
  ch.paceWait = false;
  Pacer& pacer = pacers_[static_cast<size_t>(channel)];
  size_t allowed = SIZE_MAX;
  while (ch.fd >= 0 && !ch.queue.empty() && ch.queue.front().atMs <= now) {
    Output& o = ch.queue.front();
    if (o.close) {
      if (channel == kTcpChannel) {
        dropTcpClient();
        return;
      }
      ch.queue.pop_front();  // a pty cannot hang up on its peer: stay silent
      continue;
    }
    while (ch.sentOfFront < o.bytes.size()) {
      if (allowed == SIZE_MAX && pacer.active()) allowed = pacer.allowance(Pacer::Clock::now());
      if (allowed == 0) {
        ch.paceWait = true;
        return;
      }
      const uint8_t* p = o.bytes.data() + ch.sentOfFront;
      const size_t left = std::min(o.bytes.size() - ch.sentOfFront, allowed);
      const long n = sys::transmit(ch.fd, p, left, channel == kTcpChannel);
      if (n > 0) {
        ch.sentOfFront += static_cast<size_t>(n);
        if (pacer.active()) {
          pacer.sent(static_cast<size_t>(n));
          allowed -= static_cast<size_t>(n);
        }
        continue;
      }
      if (n == sys::kWouldBlock) {
        ch.blocked = true;
        return;
      }
      // The peer is gone.
      if (channel == kTcpChannel) {
        dropTcpClient();
      } else {
        ch.queue.clear();
        ch.sentOfFront = 0;
      }
      return;
    }
    ch.queue.pop_front();
    ch.sentOfFront = 0;
  }
  if (ch.queue.empty()) pacer.idle();
}

void Server::readFrom(int channel, int64_t now) {
  auto& ch = ch_[static_cast<size_t>(channel)];
  uint8_t buf[kReadChunk];
  for (;;) {
    if (ch.fd < 0) return;
    const long n = sys::receive(ch.fd, buf, sizeof buf, channel == kTcpChannel);
    if (n > 0) {
      const bool replyUnsent = !ch.queue.empty();
      const int before = sensor_.totalRequestCount();
      enqueue(sensor_.feed(channel, buf, static_cast<size_t>(n), now));
      const int arrived = sensor_.totalRequestCount() - before;
      overlapping_ += arrived > 0 ? arrived - 1 + (replyUnsent ? 1 : 0) : 0;
      continue;
    }
    if (n == sys::kWouldBlock) return;
    // End of stream: the TCP client left, or nobody holds the pty's slave.
    if (channel == kTcpChannel) {
      dropTcpClient();
    } else {
      ch.queue.clear();
      ch.sentOfFront = 0;
      sensor_.resetChannel(channel);
      ptyRetryAt_ = now + kPtyIdleRetryMs;
    }
    return;
  }
}

int Server::pollTimeoutMs(int64_t now) const {
  int64_t due = sensor_.nextWakeMs();
  for (const auto& ch : ch_)
    if (ch.fd >= 0 && !ch.queue.empty() && !ch.blocked && !ch.paceWait) due = std::min(due, ch.queue.front().atMs);
  if (ch_[kPtyChannel].fd >= 0 && ptyRetryAt_ > now) due = std::min(due, ptyRetryAt_);
  if (due == kNever) return -1;
  return static_cast<int>(std::clamp<int64_t>(due - now, 0, 60000));
}

void Server::run() {
  sys::preciseTimers();
  std::vector<sys::PollEntry> fds;
  for (;;) {
    int timeout = -1;
    PaceDue pacedDue;
    int listenIdx = -1;
    std::array<int, kChannels> chIdx{-1, -1};
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (stopRequested_) return;
      const int64_t now = nowMs();
      enqueue(sensor_.tick(now));
      for (int c = 0; c < kChannels; ++c) flush(c, now);
      timeout = pollTimeoutMs(now);
      pacedDue = paceDue();
      fds.clear();
      fds.push_back({wakeRead_});
      if (listenFd_ >= 0) {
        listenIdx = static_cast<int>(fds.size());
        fds.push_back({listenFd_});
      }
      for (int c = 0; c < kChannels; ++c) {
        const auto& ch = ch_[static_cast<size_t>(c)];
        if (ch.fd < 0 || (c == kPtyChannel && ptyRetryAt_ > now)) continue;
        chIdx[static_cast<size_t>(c)] = static_cast<int>(fds.size());
        sys::PollEntry e;
        e.fd = ch.fd;
        e.wantWrite = ch.blocked;
        fds.push_back(e);
      }
    }
    const int rc = pollPaced(fds, timeout, pacedDue);
    if (rc < 0) return;

    std::lock_guard<std::mutex> lock(mu_);
    if (stopRequested_) return;
    const int64_t now = nowMs();
    if (rc > 0 && fds[0].readable) {
      uint8_t drain[64];
      while (sys::receive(wakeRead_, drain, sizeof drain, false) > 0) {
      }
    }
    if (listenIdx >= 0 && fds[static_cast<size_t>(listenIdx)].readable) {
      for (int fd = acceptTcpClient(listenFd_); fd >= 0; fd = acceptTcpClient(listenFd_)) {
        dropTcpClient();  // one client at a time: the newest wins
        ch_[kTcpChannel].fd = fd;
      }
    }
    for (int c = 0; c < kChannels; ++c) {
      const int idx = chIdx[static_cast<size_t>(c)];
      if (idx < 0 || ch_[static_cast<size_t>(c)].fd != fds[static_cast<size_t>(idx)].fd) continue;
      if (fds[static_cast<size_t>(idx)].readable) readFrom(c, now);
    }
  }
}

void Server::setFault(Fault f, int count, int arg) {
  FaultRule s;
  s.fault = f;
  s.count = count;
  s.arg = arg;
  setFault(s);
}

void Server::setFault(const FaultRule& rule) {
  sensor_.faults().set(rule);  // the fault set has its own lock
}

void Server::clearFaults() { sensor_.faults().clear(); }

void Server::pulseInput() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    sensor_.pulseInput(nowMs());
  }
  wake();
}

void Server::sendUnrequested(int channel, uint8_t order, uint16_t param, const std::vector<uint8_t>& payload) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    sensor_.sendUnrequested(channel, order, param, payload, nowMs());
  }
  wake();
}

void Server::sendRaw(int channel, const std::vector<uint8_t>& bytes) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    sensor_.sendRaw(channel, bytes, nowMs());
  }
  wake();
}

int Server::tcpPort() const {
  std::lock_guard<std::mutex> lock(mu_);
  return port_;
}

std::string Server::ptyPath() const {
  std::lock_guard<std::mutex> lock(mu_);
  return ptyPath_;
}

bool Server::tcpClientConnected() const {
  std::lock_guard<std::mutex> lock(mu_);
  return ch_[kTcpChannel].fd >= 0;
}

ParamSet Server::ramParams() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.ramParams();
}
ParamSet Server::eepromParams() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.eepromParams();
}
TeachTable Server::ramTeach() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.ramTeach();
}
TeachTable Server::eepromTeach() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.eepromTeach();
}
CalibBytes Server::calibRecord() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.calibRecord();
}
std::array<uint8_t, kPotSize> Server::storedPotentiometer() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.storedPotentiometer();
}
int Server::lastBaudIndex() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.lastBaudIndex();
}
int Server::laserPower() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.laserPower();
}
bool Server::scopeArmed() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.scopeArmed();
}
std::vector<uint8_t> Server::pflash(uint16_t address, size_t bytes) const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.pflash(address, bytes);
}
std::vector<uint8_t> Server::xflash(uint16_t address, size_t bytes) const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.xflash(address, bytes);
}
int Server::requestCount(uint8_t order) const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.requestCount(order);
}
int Server::corruptRequestCount() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.corruptRequestCount();
}
RecordedRequest Server::lastRequest(uint8_t order) const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.lastRequest(order);
}

std::vector<uint8_t> Server::orderLog() const {
  std::lock_guard<std::mutex> lock(mu_);
  return sensor_.orderLog();
}

int Server::overlappingRequests() const {
  std::lock_guard<std::mutex> lock(mu_);
  return overlapping_;
}

}  // namespace bx::sim
