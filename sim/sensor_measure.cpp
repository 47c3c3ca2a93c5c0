// The measuring side of the simulated sensor: line scans, the live record,
// edges, teach, video threshold, triggers and the scope.
#include <algorithm>
#include <cmath>

#include "sim/scope_wave.h"
#include "sim/sensor.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx::sim {

using bx::frame::get16;
using bx::frame::gets16;
using bx::frame::get32;
using bx::frame::put16;
using bx::frame::put32;

namespace {

constexpr int64_t kInputPulseMs = 100;
constexpr int kTriggerPosEdgeState = 9;
constexpr int kTriggerNegEdgeState = 10;

uint16_t clampU16(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

}  // namespace

ScanSettings Sensor::scanSettings() const {
  const int n = line_.pixelCount();
  ScanSettings st;
  st.evalBegin = ram16(param::kEvalBegin);
  if (st.evalBegin == 0 || st.evalBegin >= n) st.evalBegin = 1;
  st.evalEnd = ram16(param::kEvalEnd);
  if (st.evalEnd == 0 || st.evalEnd > n) st.evalEnd = n;
  st.thresholdMode = ram16(param::kVideoThresholdMode);
  if (st.thresholdMode > kAutoThreshold) st.thresholdMode = kFixThreshold;
  st.thresholdPercent = ram16(param::kVideoThreshold);
  st.trackProfile = &ramThreshold_;
  st.powerFactor = effectiveLaserPower() / 500.0;
  st.average = std::clamp<int>(ram16(param::kAverage), 1, 1024);
  st.videoSmooth = std::min<int>(ram16(param::kVideoSmooth), 16);
  return st;
}

int Sensor::activeProgram() const { return std::min<int>(ram16(param::kEvalProgram), kRowCount - 1); }

int Sensor::edgeShift() const { return std::min<int>(ram16(param::kCcdOperationMode), 2); }

int Sensor::cycleUs() const { return std::max(1, cfg_.cycleUs >> edgeShift()); }

void Sensor::setTransientState(int code, int64_t untilMs) {
  transientState_ = code;
  transientUntil_ = untilMs;
}

Sensor::Sample Sensor::measure(int64_t nowMs, bool noShadow) {
  Shadow shadow = line_.shadowAt(nowMs);
  if (noShadow || forcedNoEdges()) shadow.present = false;
  Sample s;
  s.scan = line_.scan(shadow, scanSettings(), rng_);
  s.program = activeProgram();
  const uint8_t* row = ramRow(s.program);
  RowSelection sel;
  sel.edgeA = gets16(row + row::kEdgeA);
  sel.edgeB = gets16(row + row::kEdgeB);
  sel.mode = get16(row + row::kEvalMode);
  sel.searchDirection = ram16(param::kSearchDirection);
  s.m = evaluate(EdgeLists{s.scan.posEdges, s.scan.negEdges}, sel, calib());
  if (s.m.code == 0) {
    if (!haveExtremes_) {
      maxPx_ = minPx_ = s.m.valuePx;
      maxUm_ = minUm_ = s.m.valueUm;
      haveExtremes_ = true;
    }
    maxPx_ = std::max(maxPx_, s.m.valuePx);
    minPx_ = std::min(minPx_, s.m.valuePx);
    maxUm_ = std::max(maxUm_, s.m.valueUm);
    minUm_ = std::min(minUm_, s.m.valueUm);
  }
  return s;
}

std::array<uint8_t, kLiveSize> Sensor::liveRecord(const Sample& s, int64_t nowMs) {
  std::array<uint8_t, kLiveSize> r{};
  uint8_t* p = r.data();
  const Measurement& m = s.m;
  const uint8_t* row = ramRow(s.program);
  put16(p + live::kEdgeA, clampU16(m.posA));
  put16(p + live::kEdgeB, clampU16(m.posB));
  put16(p + live::kValuePx, clampU16(m.valuePx));
  put16(p + live::kEdgeCount, clampU16(m.edgeCount));
  put32(p + live::kValueUm, static_cast<uint32_t>(m.valueUm));
  put32(p + live::kMaxUm, static_cast<uint32_t>(haveExtremes_ ? maxUm_ : m.valueUm));
  put32(p + live::kMinUm, static_cast<uint32_t>(haveExtremes_ ? minUm_ : m.valueUm));
  put32(p + live::kSetPointUm, get32(row + row::kUmTeach));
  put16(p + live::kMaxPx, clampU16(haveExtremes_ ? maxPx_ : m.valuePx));
  put16(p + live::kMinPx, clampU16(haveExtremes_ ? minPx_ : m.valuePx));
  put16(p + live::kSetPointPx, get16(row + row::kTeachValue));
  put16(p + live::kInputs, nowMs < inputHighUntil_ ? 1 : 0);
  put16(p + live::kVideoPeak, s.scan.peak);
  put16(p + live::kLaserPower, livePowerWord(nowMs));
  put16(p + live::kExposure, liveExposureWord(nowMs));
  const int lightTrigger = ram16(param::kIntTriggerMode) == 2;
  put16(p + live::kTriggerLevel, clampU16(lightTrigger ? s.scan.lightPixels : s.scan.darkPixels));

  int code = state::kRunningOk;
  const int fs = line_.fullScale();
  const int dirtLimit = std::min<int>(ram16(param::kDirtThreshold), 100) * fs / 100;
  int dirtLevel = -1;
  switch (ram16(param::kDirtDetectMode)) {
    case 1: dirtLevel = s.scan.dirtFirst; break;
    case 2: dirtLevel = s.scan.dirtLast; break;
    case 3: dirtLevel = (s.scan.dirtFirst + s.scan.dirtLast) / 2; break;
    case 4: dirtLevel = s.scan.peak; break;
    default: break;
  }
  if (effectiveLaserPower() == 0) code = state::kLaserOff;
  else if (m.code != 0) code = m.code;
  else if (nowMs < transientUntil_) code = transientState_;
  else if (dirtLevel >= 0 && dirtLevel < dirtLimit) code = state::kDirtAlert;
  put16(p + live::kState, static_cast<uint16_t>(code));
  put16(p + live::kProgram, static_cast<uint16_t>(s.program));
  put16(p + live::kDirtFirst, s.scan.dirtFirst);
  put16(p + live::kDirtLast, s.scan.dirtLast);
  put32(p + live::kCycleUs, static_cast<uint32_t>(cycleUs()));
  put32(p + live::kTriggerCounter, triggerCounter_);
  applyForcedState(p, s.program);
  return r;
}

std::array<uint8_t, kEdgeReplySize> Sensor::edgeReply(const Scan& scan) const {
  std::array<uint8_t, kEdgeReplySize> r{};
  // Edge values are pixel positions in units of 8 pixels, coarser still at
  // the faster read-out speeds.
  const int unit = 8 << edgeShift();
  auto block = [&](uint8_t* b, const std::vector<int>& list) {
    const size_t n = std::min<size_t>(list.size(), kEdgeListSlots);
    put16(b + edgereply::COUNT, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i)
      put16(b + edgereply::POSITIONS + 2 * i, static_cast<uint16_t>(static_cast<int16_t>(list[i] / unit)));
  };
  block(r.data() + edgereply::POSITIVE_LIST, scan.posEdges);
  block(r.data() + edgereply::NEGATIVE_LIST, scan.negEdges);
  return r;
}

std::array<uint8_t, kRecorderSampleSize> Sensor::recorderSample(const Sample& s) const {
  std::array<uint8_t, kRecorderSampleSize> r{};
  put16(&r[recsample::EDGE_A], clampU16(s.m.posA));
  put16(&r[recsample::EDGE_B], clampU16(s.m.posB));
  put16(&r[recsample::VALUE], clampU16(s.m.valuePx));
  put16(&r[recsample::EDGES], clampU16(s.m.edgeCount));
  put32(&r[recsample::VALUE_UM], static_cast<uint32_t>(s.m.valueUm));
  return r;
}

Sensor::Reply Sensor::teach(const ParsedRequest& req, int64_t nowMs, const ActiveFaults& fx) {
  if (req.param >= kRowCount || req.payload.size() != kRowSize) return refusal(kRefuseArgument);
  const int rowIndex = req.param;
  std::vector<uint8_t> row = req.payload;

  Shadow shadow = line_.shadowAt(nowMs);
  if (fx.has(Fault::NoShadow)) shadow.present = false;
  const Scan scan = line_.scan(shadow, scanSettings(), rng_);
  RowSelection sel;
  sel.edgeA = gets16(&row[row::kEdgeA]);
  sel.edgeB = gets16(&row[row::kEdgeB]);
  sel.mode = get16(&row[row::kEvalMode]);
  sel.searchDirection = ram16(param::kSearchDirection);
  const Measurement m = evaluate(EdgeLists{scan.posEdges, scan.negEdges}, sel, calib());
  const int code = fx.has(Fault::TeachResult) ? fx.argOf(Fault::TeachResult) : m.code;
  setTransientState(state::kTeachActive, nowMs + 300);

  const bool failed = code == state::kLoPosEdges || code == state::kLoNegEdges || code == state::kNoEdges;
  if (!failed) {
    put16(&row[row::kTeachValue], clampU16(m.valuePx));
    put32(&row[row::kUmTeach], static_cast<uint32_t>(m.valueUm));
    put16(&row[row::kEdgeCount], clampU16(m.edgeCount));
    put16(&row[row::kPixelPosA], clampU16(m.posA));
    put16(&row[row::kPixelPosB], clampU16(m.posB));
    // The sensor works from RAM; the teach target says whether the new
    // set-point also survives a power cycle.
    const bool toEeprom = ram16(param::kTeachTarget) == 1;
    const auto off = static_cast<std::ptrdiff_t>(rowIndex * kRowSize);
    std::copy(row.begin(), row.end(), ramTeach_.begin() + off);
    if (toEeprom) std::copy(row.begin(), row.end(), eepromTeach_.begin() + off);
    if (rowIndex == activeProgram()) {
      for (ParamSet* ps : {&ramParams_, toEeprom ? &eepromParams_ : nullptr}) {
        if (ps == nullptr) continue;
        put16(&(*ps)[param::kTeachValue], clampU16(m.valuePx));
        put32(&(*ps)[param::kUmTeach], static_cast<uint32_t>(m.valueUm));
      }
    }
  }
  return Reply{order::kTeachRow, static_cast<uint16_t>(static_cast<int16_t>(std::clamp(code, -32768, 32767))), std::move(row)};
}

Sensor::Reply Sensor::storeVideoThreshold(const ParsedRequest& req, int64_t nowMs, bool eeprom, bool noShadow) {
  // The reference is whatever the line shows now: the operator is asked to
  // clear the beam first.
  Shadow shadow = line_.shadowAt(nowMs);
  if (noShadow) shadow.present = false;
  const VideoProfile ref = line_.cleanVideo(shadow, laserPower_ / 500.0);
  const int pct = std::min<int>(req.param, 100);
  for (size_t i = 0; i < ref.size(); ++i) ramThreshold_[i] = static_cast<uint16_t>(ref[i] * pct / 100);
  if (eeprom) eepromThreshold_ = ramThreshold_;
  setTransientState(state::kSaveVideoThreshold, nowMs + 500);
  return ack(req.order, req.param);
}

Sensor::Reply Sensor::scopeOrder(const ParsedRequest& req, int channel, int64_t nowMs) {
  if (req.param == 0) {
    scope_.armed = false;
    return ack(order::kScope, 0);
  }
  if (req.param != 1 || req.payload.size() != kScopeSettingsSize) return refusal(kRefuseArgument);
  for (size_t i = 0; i < scope_.settings.size(); ++i) scope_.settings[i] = get16(&req.payload[2 * i]);
  scope_.armed = true;
  scope_.channel = channel;
  scope_.armedMs = nowMs;
  // Trigger mode 3 waits for input IN0; the others find their trigger
  // shortly.
  scope_.fireMs = scope_.settings[0] == 3 ? kNever : nowMs + std::max(0, cfg_.scopeDelayMs);
  return ack(order::kScope, 1);
}

std::vector<uint8_t> Sensor::scopeRecord(int64_t nowMs) {
  const int scanRate = std::max<int>(scope_.settings[3], 1);
  const int pretrigger = std::min<int>(scope_.settings[2], kScopeSamples - 1);
  const bool noShadow = faults_.active(Fault::NoShadow, order::kScope, false);
  std::vector<Sample> scans;
  std::vector<int64_t> times;
  std::vector<int32_t> values;
  for (int k = 0; k < kScopeSamples; ++k) {
    const double offsetMs = static_cast<double>(k - pretrigger) * scanRate * cycleUs() / 1000.0;
    times.push_back(nowMs + static_cast<int64_t>(std::floor(offsetMs)));
    scans.push_back(measure(times.back(), noShadow));
    values.push_back(scans.back().m.valueUm);
  }
  if (!noShadow) shapeScopeEvent(values, scope_.settings[0], scope_.settings[1], pretrigger, cfg_.calib.rangeUm);
  const double umPerPx = std::max(1, cfg_.calib.slopeX16384) / 16384.0;
  std::vector<uint8_t> out(scoperec::kRecordBytes);
  for (int k = 0; k < kScopeSamples; ++k) {
    const auto i = static_cast<size_t>(k);
    const Sample& s = scans[i];
    const uint8_t* row = ramRow(s.program);
    const int set = get16(row + row::kTeachValue);
    const int upper = set + get16(row + row::kUpperTolerance);
    const int lower = set - get16(row + row::kLowerTolerance);
    const auto px = static_cast<int>(std::lround((values[i] - cfg_.calib.offsetUm) / umPerPx));
    uint32_t sample = static_cast<uint32_t>(std::clamp<int32_t>(values[i], 0, scoperec::kValueMask));
    const bool ok = s.m.code == 0;
    const auto line = [](int k) { return 1u << (scoperec::kFirstLineBit + k); };
    if (ok && px < lower) sample |= line(0);
    if (ok && px > upper) sample |= line(1);
    if (ok && px >= lower && px <= upper) sample |= line(2);
    if (times[i] < inputHighUntil_) sample |= line(3);
    if (!ok) sample |= line(4);
    put32(&out[4 * i], sample);
  }
  return out;
}

std::vector<Output> Sensor::spontaneous(uint8_t order, const std::vector<uint8_t>& payload, int channel, int64_t nowMs,
                                        uint16_t param) {
  const ActiveFaults fx = faults_.take(order, true, param);
  // A streamed frame cut short still carries a header that matches it.
  const size_t length =
      fx.has(Fault::ShortPayload) ? std::min(payload.size(), static_cast<size_t>(std::max(0, fx.argOf(Fault::ShortPayload))))
                                  : payload.size();
  return shapeFrame(channel, encodeFrame(order, param, payload.data(), length), fx, nowMs, rng_);
}

void Sensor::sendUnrequested(int channel, uint8_t order, uint16_t param, const std::vector<uint8_t>& payload,
                             int64_t nowMs) {
  auto o = spontaneous(order, payload, channel, nowMs, param);
  pending_.insert(pending_.end(), o.begin(), o.end());
}

void Sensor::sendRaw(int channel, const std::vector<uint8_t>& bytes, int64_t nowMs) {
  Output o;
  o.channel = channel;
  o.atMs = nowMs;
  o.bytes = bytes;
  pending_.push_back(std::move(o));
}

void Sensor::captureTrigger(int64_t nowMs) {
  const bool noShadow = faults_.active(Fault::NoShadow, order::kLiveData, false);
  const Sample s = measure(nowMs, noShadow);
  capturedLive_ = liveRecord(s, nowMs);
  capturedEdges_ = edgeReply(s.scan);
  capturedVideo_ = s.scan.video;
  haveCapture_ = true;
  streamRecorderSample(s, nowMs);
}

void Sensor::pulseInput(int64_t nowMs) {
  ++triggerCounter_;
  inputHighUntil_ = nowMs + kInputPulseMs;
  const int intTrigger = ram16(param::kIntTriggerMode);
  if (intTrigger == 3) setTransientState(kTriggerPosEdgeState, nowMs + kInputPulseMs);
  if (intTrigger == 4) setTransientState(kTriggerNegEdgeState, nowMs + kInputPulseMs);
  captureTrigger(nowMs);
  if (scope_.armed && scope_.fireMs == kNever) scope_.fireMs = nowMs;
}

std::vector<Output> Sensor::tick(int64_t nowMs) {
  if (nextAutoPulse_ != kNever && nowMs >= nextAutoPulse_) {
    // Events keep their period even when a tick comes late: the ones in
    // between count, the capture is of the latest.
    const int64_t period = std::max(1, cfg_.triggerPeriodMs);
    const int64_t missed = (nowMs - nextAutoPulse_) / period;
    catchUpInputEvents(missed, nowMs);
    pulseInput(nowMs);
    nextAutoPulse_ += (missed + 1) * period;
  }
  if (scope_.armed && nowMs >= scope_.fireMs) {
    scope_.armed = false;
    auto o = spontaneous(order::kScope, scopeRecord(nowMs), scope_.channel, nowMs);
    pending_.insert(pending_.end(), o.begin(), o.end());
  }
  std::vector<Output> out;
  out.swap(pending_);
  return out;
}

int64_t Sensor::nextWakeMs() const {
  if (!pending_.empty()) return 0;
  int64_t t = nextAutoPulse_;
  if (scope_.armed) t = std::min(t, scope_.fireMs);
  return t;
}

}  // namespace bx::sim
