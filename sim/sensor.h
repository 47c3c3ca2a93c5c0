#pragma once
// The simulated sensor: a transport-independent protocol engine. Bytes go in
// per channel, scheduled output comes back. It holds the sensor's whole
// state: parameter set and teach table in RAM and EEPROM, external and
// program flash, the synthetic line, triggers, the scope.
//
// Not thread-safe by itself: the server serialises every call. The fault set
// has its own lock and may be changed from any thread.
#include <array>
#include <cstdint>
#include <vector>

#include "sim/config.h"
#include "sim/evaluation.h"
#include "sim/faults.h"
#include "sim/frame_out.h"
#include "sim/line_model.h"
#include "sim/records.h"
#include "sim/request_parser.h"
#include "sim/sensor_states.h"

namespace bx::sim {

constexpr int kChannels = 2;  // 0 TCP, 1 pseudo-terminal
constexpr int kTcpChannel = 0;
constexpr int kPtyChannel = 1;
constexpr int64_t kNever = INT64_MAX;

// Refusal parameters: unknown order, corrupted request, and a request the
// sensor understood but cannot carry out (bad argument or length).
constexpr uint16_t kRefuseUnknownOrder = 1;
constexpr uint16_t kRefuseCorrupt = 2;
constexpr uint16_t kRefuseArgument = 3;

struct RecordedRequest {
  bool seen = false;
  uint16_t param = 0;
  std::vector<uint8_t> payload;
};

class Sensor {
 public:
  explicit Sensor(const Config& cfg = Config());

  // Received bytes of one channel; returns the output they cause.
  std::vector<Output> feed(int channel, const uint8_t* data, size_t n, int64_t nowMs);
  std::vector<Output> feed(const uint8_t* data, size_t n, int64_t nowMs) { return feed(0, data, n, nowMs); }

  // Unrequested frames that are due (scope record, triggered samples) and
  // the automatic input pulses.
  std::vector<Output> tick(int64_t nowMs);
  // When tick next has something to do; kNever when nothing is scheduled.
  int64_t nextWakeMs() const;

  // A low-to-high edge at input IN0.
  void pulseInput(int64_t nowMs);
  void setTriggerCounter(uint32_t count) { triggerCounter_ = count; }  // test hook
  // A frame nobody asked for, shaped by the faults for unrequested frames,
  // and bytes that are no frame at all; both go out with the next tick.
  void sendUnrequested(int channel, uint8_t order, uint16_t param, const std::vector<uint8_t>& payload, int64_t nowMs);
  void sendRaw(int channel, const std::vector<uint8_t>& bytes, int64_t nowMs);
  // The channel's peer went away: drop its half-received request and a
  // scope it armed.
  void resetChannel(int channel);

  // A state code the live record reports whatever the line shows, for
  // displays under test (sensor_states.cpp). Laser off darkens the line,
  // no-edges hides the shadow, lo/hi-edges report one edge fewer or more
  // than the live teach row expects, dirt dims the dirt levels; any other
  // code (also one outside the table) only replaces the state word.
  // kNoForcedState ends it.
  void forceState(int code) { forcedState_ = code; }
  int forcedState() const { return forcedState_; }
  // A program number the live record reports; -1 reports the real one.
  void forceProgramWord(int program) { forcedProgram_ = program; }

  FaultSet& faults() { return faults_; }
  const Config& config() const { return cfg_; }

  const ParamSet& ramParams() const { return ramParams_; }
  const ParamSet& eepromParams() const { return eepromParams_; }
  const TeachTable& ramTeach() const { return ramTeach_; }
  const TeachTable& eepromTeach() const { return eepromTeach_; }
  CalibBytes calibRecord() const;
  // The adjustment settings the store flags have kept so far.
  std::array<uint8_t, kPotSize> storedPotentiometer() const;
  int lastBaudIndex() const { return baudIndex_; }
  int laserPower() const { return laserPower_; }
  bool scopeArmed() const { return scope_.armed; }
  bool calibrating() const { return calibrating_; }
  const VideoProfile& thresholdProfile() const { return ramThreshold_; }
  uint32_t triggerCounter() const { return triggerCounter_; }
  // Flash contents by word address (external 0x8000..0xBFFF, program
  // 0xB000..0xCFFF); bytes beyond the area are left out.
  std::vector<uint8_t> xflash(uint16_t address, size_t bytes) const;
  std::vector<uint8_t> pflash(uint16_t address, size_t bytes) const;

  int requestCount(uint8_t order) const { return counts_[order]; }
  int corruptRequestCount() const { return corruptCount_; }
  int totalRequestCount() const { return static_cast<int>(orderLog_.size()) + corruptCount_; }
  // Orders of the valid requests, in the order they arrived.
  const std::vector<uint8_t>& orderLog() const { return orderLog_; }
  const RecordedRequest& lastRequest(uint8_t order) const { return last_[order]; }

 private:
  struct Reply {
    uint8_t order = 0;
    uint16_t param = 0;
    std::vector<uint8_t> payload;
  };
  struct Sample {  // one evaluated line scan
    Scan scan;
    Measurement m;
    int program = 0;
  };
  struct ScopeState {
    bool armed = false;
    int channel = 0;
    int64_t armedMs = 0;
    int64_t fireMs = kNever;  // kNever: waits for IN0
    std::array<uint16_t, 8> settings{};
  };

  std::vector<Output> handle(int channel, const ParsedRequest& req, int64_t nowMs);
  Reply dispatch(const ParsedRequest& req, int64_t nowMs, const ActiveFaults& fx);
  static Reply refusal(uint16_t code) { return Reply{0, code, {}}; }
  static Reply ack(uint8_t order, uint16_t param = 0) { return Reply{order, param, {}}; }

  // Storage orders (sensor.cpp).
  Reply writeParams(const ParsedRequest& req, bool eeprom);
  Reply readParams(const ParsedRequest& req, bool eeprom) const;
  Reply calibrationCommand(const ParsedRequest& req);
  Reply flashOrder(const ParsedRequest& req);
  Reply potentiometer(const ParsedRequest& req);
  void follow();

  // Measuring orders (sensor_measure.cpp).
  Sample measure(int64_t nowMs, bool noShadow);
  std::array<uint8_t, kLiveSize> liveRecord(const Sample& s, int64_t nowMs);
  std::array<uint8_t, kEdgeReplySize> edgeReply(const Scan& scan) const;
  std::array<uint8_t, kRecorderSampleSize> recorderSample(const Sample& s) const;
  Reply teach(const ParsedRequest& req, int64_t nowMs, const ActiveFaults& fx);
  Reply storeVideoThreshold(const ParsedRequest& req, int64_t nowMs, bool eeprom, bool noShadow);
  Reply scopeOrder(const ParsedRequest& req, int channel, int64_t nowMs);
  std::vector<uint8_t> scopeRecord(int64_t nowMs);
  void captureTrigger(int64_t nowMs);
  // Recorder samples sent on input events (recorder_stream.cpp).
  void streamRecorderSample(const Sample& s, int64_t nowMs);
  void catchUpInputEvents(int64_t missed, int64_t nowMs);
  std::vector<Output> spontaneous(uint8_t order, const std::vector<uint8_t>& payload, int channel, int64_t nowMs,
                                  uint16_t param = 0);
  void setTransientState(int code, int64_t untilMs);
  // Forced states (sensor_states.cpp).
  int effectiveLaserPower() const;
  bool forcedNoEdges() const;
  void applyForcedState(uint8_t* live, int program) const;
  // The live power and exposure words, regulated as Power-Mode says.
  uint16_t livePowerWord(int64_t nowMs) const;
  uint16_t liveExposureWord(int64_t nowMs) const;
  double regulation(int64_t nowMs) const;

  ScanSettings scanSettings() const;
  CalibRecord calib() const;
  int activeProgram() const;
  const uint8_t* ramRow(int program) const { return &ramTeach_[static_cast<size_t>(program * kRowSize)]; }
  uint16_t ram16(int offset) const;
  int cycleUs() const;
  int edgeShift() const;

  Config cfg_;
  LineModel line_;
  Rng rng_;
  FaultSet faults_;
  std::array<RequestParser, kChannels> parsers_;
  int lastChannel_ = 0;

  ParamSet ramParams_{}, eepromParams_{};
  TeachTable ramTeach_{}, eepromTeach_{};
  VideoProfile ramThreshold_{}, eepromThreshold_{};
  std::vector<uint8_t> xflash_;
  std::vector<uint8_t> pflash_;
  std::array<uint8_t, kPotSize> pot_{};
  std::array<uint8_t, kPotSize> potStored_{};  // settings kept by the store flags
  uint16_t potTarget_ = 199;                  // the set value the measured one follows
  bool potJitter_ = false;

  int laserPower_ = 500;
  int baudIndex_ = -1;
  bool calibrating_ = false;

  bool haveExtremes_ = false;
  int maxPx_ = 0, minPx_ = 0;
  int32_t maxUm_ = 0, minUm_ = 0;
  int transientState_ = 0;
  int64_t transientUntil_ = 0;

  int forcedState_ = kNoForcedState;
  int forcedProgram_ = -1;

  uint32_t triggerCounter_ = 0;
  int64_t inputHighUntil_ = 0;
  int64_t nextAutoPulse_ = kNever;
  bool haveCapture_ = false;
  std::array<uint8_t, kLiveSize> capturedLive_{};
  std::array<uint8_t, kEdgeReplySize> capturedEdges_{};
  VideoProfile capturedVideo_{};

  ScopeState scope_;
  std::vector<Output> pending_;  // unrequested frames not yet handed out

  std::array<int, 256> counts_{};
  std::array<RecordedRequest, 256> last_{};
  int corruptCount_ = 0;
  std::vector<uint8_t> orderLog_;
};

}  // namespace bx::sim
