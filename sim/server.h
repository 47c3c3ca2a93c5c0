#pragma once
// Runs the simulated sensor behind real transports: a loopback TCP server
// (one client at a time; a new client replaces the old one) and a
// pseudo-terminal. One background thread serves both with poll(); delayed
// and fragmented output is scheduled on that thread, never slept, so stop()
// returns promptly. Every accessor may be called from any thread.
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>
#include <string>
#include <thread>

#include "sim/config.h"
#include "sim/faults.h"
#include "sim/pacing.h"
#include "sim/sensor.h"
#include "sim/sys.h"

namespace bx::sim {

class Server {
 public:
  explicit Server(const Config& cfg = Config());
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Starts listening on 127.0.0.1 (0 = ephemeral port). Returns the port, or
  // -1. Calling it again returns the port already in use.
  int startTcp(int port = 0);
  // Opens the pseudo-terminal. Returns the slave path to open, or "".
  std::string startPty();
  // Stops the thread and closes every transport.
  void stop();

  int tcpPort() const;
  std::string ptyPath() const;
  bool tcpClientConnected() const;

  void setFault(Fault f, int count = 1, int arg = 0);
  void setFault(const FaultRule& rule);
  void clearFaults();

  // A low-to-high edge at input IN0 (trigger counter, triggered captures,
  // a scope waiting for IN0, recorder samples in RS-232 mode 1).
  void pulseInput();
  // Test hook: the trigger counter's next value is count + 1 (sim/trigger_hook.cpp).
  void setTriggerCounter(uint32_t count);
  // Test hooks: a frame the sensor sends without a request (faults marked
  // spontaneous apply), and raw bytes on the line; channel kTcpChannel or
  // kPtyChannel.
  void sendUnrequested(int channel, uint8_t order, uint16_t param, const std::vector<uint8_t>& payload);
  void sendRaw(int channel, const std::vector<uint8_t>& bytes);

  // Live-mode knobs (server_live.cpp). Reply bytes go out no faster than a
  // serial line of `baud` (0 = as fast as the transport takes them).
  void setPaceBaud(int baud);
  // A state code the live record reports whatever the line shows
  // (kNoForcedState ends it); see Sensor::forceState.
  void forceState(int code);
  // A program number the live record reports (-1 = the real one).
  void forceProgramWord(int program);
  uint32_t triggerCounter() const;

  // Snapshots of the sensor's state.
  ParamSet ramParams() const;
  ParamSet eepromParams() const;
  TeachTable ramTeach() const;
  TeachTable eepromTeach() const;
  CalibBytes calibRecord() const;
  std::array<uint8_t, kPotSize> storedPotentiometer() const;
  int lastBaudIndex() const;
  int laserPower() const;
  bool scopeArmed() const;
  std::vector<uint8_t> pflash(uint16_t address, size_t bytes) const;
  std::vector<uint8_t> xflash(uint16_t address, size_t bytes) const;
  // Requests received per order since start (valid frames only), and the
  // last one of each order.
  int requestCount(uint8_t order) const;
  int corruptRequestCount() const;
  RecordedRequest lastRequest(uint8_t order) const;
  // Orders of the valid requests in arrival order.
  std::vector<uint8_t> orderLog() const;
  // Requests that arrived while the reply to an earlier one was still
  // unsent: a client that keeps one request outstanding never causes one.
  int overlappingRequests() const;

 private:
  struct Channel {
    int fd = -1;
    std::deque<Output> queue;
    size_t sentOfFront = 0;  // bytes of the front entry already written
    bool blocked = false;    // waiting for the descriptor to take more
    bool paceWait = false;   // waiting for the paced line to take more
    // The rest of a cut reply, sent ahead of the next frame; kept while
    // nobody holds the pty, as a sensor keeps sending when the tool goes.
    std::vector<uint8_t> heldRest;
  };

  void ensureThread();
  void run();
  void wake();
  int64_t nowMs() const;
  // The loop's steps; all run under mu_.
  void enqueue(std::vector<Output>&& out);
  void flush(int channel, int64_t now);
  void dropTcpClient();
  void readFrom(int channel, int64_t now);
  int pollTimeoutMs(int64_t now) const;
  // When a paced channel may send its next bytes (at = time_point::max()
  // when none waits; last: they are the last of what is queued), and poll()
  // that also wakes then, to the microsecond, so a fast line is not held to
  // millisecond steps (server_live.cpp).
  struct PaceDue {
    Pacer::Clock::time_point at = Pacer::Clock::time_point::max();
    bool last = false;
  };
  PaceDue paceDue() const;
  int pollPaced(std::vector<sys::PollEntry>& fds, int timeoutMs, PaceDue due);

  mutable std::mutex mu_;
  Sensor sensor_;
  std::thread thread_;
  bool stopRequested_ = false;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  int listenFd_ = -1;
  int port_ = -1;
  std::string ptyPath_;
  std::array<Channel, kChannels> ch_;
  std::array<Pacer, kChannels> pacers_;  // kept across TCP clients
  int overlapping_ = 0;
  // How late a timed wake-up of the loop has come, learnt: the wait for a
  // reply's last bytes asks to be woken that much earlier.
  std::chrono::nanoseconds wakeLead_{0};
  int64_t ptyRetryAt_ = 0;  // no slave open: look again at this time
  std::chrono::steady_clock::time_point epoch_;
};

}  // namespace bx::sim
