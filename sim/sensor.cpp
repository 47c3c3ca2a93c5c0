#include "sim/sensor.h"

#include <algorithm>
#include <cstring>

#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx::sim {

using bx::frame::get16;
using bx::frame::put16;
using namespace bx::order;

namespace {

constexpr uint16_t kXfBase = 0x8000, kXfEnd = 0xC000;  // word addresses
constexpr uint16_t kPfBase = 0xB000, kPfEnd = 0xD000;
constexpr uint16_t kXfPageWords = 0x400;
constexpr size_t kMaxFlashBlock = 512;

size_t xfOffset(uint16_t address) { return static_cast<size_t>(address - kXfBase) * 2; }

}  // namespace

Sensor::Sensor(const Config& cfg)
    : cfg_(cfg),
      line_(cfg),
      rng_(cfg.seed),
      xflash_(static_cast<size_t>(kXfEnd - kXfBase) * 2, 0xFF),
      pflash_(static_cast<size_t>(kPfEnd - kPfBase) * 2, 0xFF) {
  ramParams_ = defaultParams(cfg_);
  eepromParams_ = ramParams_;
  ramTeach_ = defaultTeachTable(cfg_, ramParams_);
  eepromTeach_ = ramTeach_;
  const CalibBytes cal = encodeCalib(cfg_.calib);
  std::copy(cal.begin(), cal.end(), xflash_.begin() + static_cast<std::ptrdiff_t>(xfOffset(kCalibRecordAddress)));
  laserPower_ = get16(&ramParams_[param::kPower]);
  // The stored threshold profile starts as half of the uncovered line.
  Shadow none;
  none.present = false;
  const VideoProfile open = line_.cleanVideo(none, 1.0);
  for (size_t i = 0; i < open.size(); ++i) ramThreshold_[i] = static_cast<uint16_t>(open[i] / 2);
  eepromThreshold_ = ramThreshold_;
  put16(&pot_[0], 1);  // mode: first control group
  put16(&pot_[4], potTarget_);
  if (cfg_.triggerPeriodMs > 0) nextAutoPulse_ = cfg_.triggerPeriodMs;
  forcedState_ = cfg_.forcedState;
  forcedProgram_ = cfg_.forcedProgram;
}

CalibBytes Sensor::calibRecord() const {
  CalibBytes b{};
  std::memcpy(b.data(), &xflash_[xfOffset(kCalibRecordAddress)], b.size());
  return b;
}

CalibRecord Sensor::calib() const { return decodeCalib(&xflash_[xfOffset(kCalibRecordAddress)]); }

std::vector<uint8_t> Sensor::xflash(uint16_t address, size_t bytes) const {
  if (address < kXfBase || address >= kXfEnd) return {};
  const size_t off = xfOffset(address);
  const size_t n = std::min(bytes, xflash_.size() - off);
  return {xflash_.begin() + static_cast<std::ptrdiff_t>(off), xflash_.begin() + static_cast<std::ptrdiff_t>(off + n)};
}

std::vector<uint8_t> Sensor::pflash(uint16_t address, size_t bytes) const {
  if (address < kPfBase || address >= kPfEnd) return {};
  const size_t off = static_cast<size_t>(address - kPfBase) * 2;
  const size_t n = std::min(bytes, pflash_.size() - off);
  return {pflash_.begin() + static_cast<std::ptrdiff_t>(off), pflash_.begin() + static_cast<std::ptrdiff_t>(off + n)};
}

uint16_t Sensor::ram16(int offset) const { return get16(&ramParams_[static_cast<size_t>(offset)]); }

void Sensor::resetChannel(int channel) {
  if (channel < 0 || channel >= kChannels) return;
  parsers_[static_cast<size_t>(channel)].reset();
  if (scope_.armed && scope_.channel == channel) scope_.armed = false;
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [channel](const Output& o) { return o.channel == channel; }),
                 pending_.end());
}

std::vector<Output> Sensor::feed(int channel, const uint8_t* data, size_t n, int64_t nowMs) {
  channel = std::clamp(channel, 0, kChannels - 1);
  std::vector<ParsedRequest> requests;
  parsers_[static_cast<size_t>(channel)].feed(data, n, nowMs, requests);
  std::vector<Output> out;
  for (const auto& r : requests) {
    auto o = handle(channel, r, nowMs);
    out.insert(out.end(), std::make_move_iterator(o.begin()), std::make_move_iterator(o.end()));
  }
  return out;
}

std::vector<Output> Sensor::handle(int channel, const ParsedRequest& req, int64_t nowMs) {
  lastChannel_ = channel;
  Reply reply;
  ActiveFaults fx;
  if (req.corrupt) {
    ++corruptCount_;
    fx = faults_.take(0, false);
    reply = refusal(fx.has(Fault::Refuse) ? static_cast<uint16_t>(fx.argOf(Fault::Refuse)) : kRefuseCorrupt);
  } else {
    ++counts_[req.order];
    orderLog_.push_back(req.order);
    auto& rec = last_[req.order];
    rec.seen = true;
    rec.param = req.param;
    rec.payload = req.payload;
    fx = faults_.take(req.order, false, req.param);
    // A refused request is not carried out; neither is one whose data size
    // is not the one its order takes.
    const int want = order::RequestSize(req.order, req.param);
    if (fx.has(Fault::Refuse))
      reply = refusal(static_cast<uint16_t>(fx.argOf(Fault::Refuse)));
    else if (want != order::kVariable && req.payload.size() != static_cast<size_t>(want))
      reply = refusal(kRefuseArgument);
    else
      reply = dispatch(req, nowMs, fx);
    if (fx.has(Fault::ShortPayload))
      reply.payload.resize(std::min(reply.payload.size(), static_cast<size_t>(std::max(0, fx.argOf(Fault::ShortPayload)))));
  }
  return shapeFrame(channel, encodeFrame(reply.order, reply.param, reply.payload.data(), reply.payload.size()), fx,
                    nowMs, rng_);
}

Sensor::Reply Sensor::dispatch(const ParsedRequest& req, int64_t nowMs, const ActiveFaults& fx) {
  const bool noShadow = fx.has(Fault::NoShadow);
  const uint8_t o = req.order;
  switch (o) {
    case kWriteRam: return writeParams(req, false);
    case kWriteEeprom: return writeParams(req, true);
    case kReadRam: return readParams(req, false);
    case kReadEeprom: return readParams(req, true);
    case kEcho: return ack(o, static_cast<uint16_t>(cfg_.serial));
    case kTeachRow: return teach(req, nowMs, fx);
    case kFirmwareInfo: {
      const auto* text = reinterpret_cast<const uint8_t*>(cfg_.firmwareText.data());
      return Reply{o, 0, std::vector<uint8_t>(text, text + cfg_.firmwareText.size())};
    }
    case kLiveData: {
      if (req.param > 1) return refusal(kRefuseArgument);
      if (req.param == 1 && haveCapture_) return Reply{o, 1, {capturedLive_.begin(), capturedLive_.end()}};
      const Sample s = measure(nowMs, noShadow);
      const auto rec = liveRecord(s, nowMs);
      return Reply{o, req.param, {rec.begin(), rec.end()}};
    }
    case kVideoData: {
      VideoProfile v;
      if (req.param == 0 || (req.param == 2 && !haveCapture_)) v = measure(nowMs, noShadow).scan.video;
      else if (req.param == 1) v = ramThreshold_;
      else if (req.param == 2) v = capturedVideo_;
      else return refusal(kRefuseArgument);
      std::vector<uint8_t> p(kVideoSamples * 2);
      for (int i = 0; i < kVideoSamples; ++i) put16(&p[static_cast<size_t>(2 * i)], v[static_cast<size_t>(i)]);
      return Reply{o, req.param, std::move(p)};
    }
    case kHardwareInfo: {
      const auto hw = encodeHardwareRecord(cfg_);
      return Reply{o, 0, {hw.begin(), hw.end()}};
    }
    case kResetOutputs:
      haveExtremes_ = false;
      setTransientState(state::kMaxMinReset, nowMs + 500);
      return ack(o);
    case kCalibCommand: return calibrationCommand(req);
    case kVideoThresholdRam: return storeVideoThreshold(req, nowMs, false, noShadow);
    case kVideoThresholdEeprom: return storeVideoThreshold(req, nowMs, true, noShadow);
    case kRecorderSample: {
      const auto rec = recorderSample(measure(nowMs, noShadow));
      return Reply{o, 0, {rec.begin(), rec.end()}};
    }
    case kEdgeQuery: {
      if (req.param > 1) return refusal(kRefuseArgument);
      if (req.param == 1 && haveCapture_) {
        const auto total = static_cast<uint16_t>(get16(&capturedEdges_[edgereply::POSITIVE_LIST]) +
                                               get16(&capturedEdges_[edgereply::NEGATIVE_LIST]));
        return Reply{o, total, {capturedEdges_.begin(), capturedEdges_.end()}};
      }
      const Sample s = measure(nowMs, noShadow);
      const auto e = edgeReply(s.scan);
      return Reply{o, static_cast<uint16_t>(s.m.edgeCount), {e.begin(), e.end()}};
    }
    case kLaserPower:
      laserPower_ = std::min<int>(req.param, 1000);
      return ack(o);
    case kWriteCalibRecord:
      if (req.param != kCalibRecordAddress || req.payload.size() != kCalibSize) return refusal(kRefuseArgument);
      std::copy(req.payload.begin(), req.payload.end(), xflash_.begin() + static_cast<std::ptrdiff_t>(xfOffset(kCalibRecordAddress)));
      return ack(o);
    case kReadCalibRecord: {
      if (req.param != kCalibRecordAddress) return refusal(kRefuseArgument);
      const auto c = calibRecord();
      return Reply{o, req.param, {c.begin(), c.end()}};
    }
    case kScope: return scopeOrder(req, lastChannel_, nowMs);
    case kPotentiometer: return potentiometer(req);
    case kXFlashErase:
    case kXFlashWrite:
    case kXFlashRead:
    case kWritePFlash: return flashOrder(req);
    case kChangeBaudRate:
      baudIndex_ = req.param;
      return ack(o, req.param);
    case kHardwareInfoFile: {
      if (req.param != kHardwareInfoFileKey) return refusal(kRefuseArgument);
      const auto b = hardwareInfoBlock(cfg_);
      return Reply{o, req.param, {b.begin(), b.end()}};
    }
    default: return refusal(kRefuseUnknownOrder);
  }
}

Sensor::Reply Sensor::writeParams(const ParsedRequest& req, bool eeprom) {
  const uint8_t order = eeprom ? kWriteEeprom : kWriteRam;
  if (req.param == 0 && req.payload.size() == kParamSize) {
    ParamSet& dst = eeprom ? eepromParams_ : ramParams_;
    std::copy(req.payload.begin(), req.payload.end(), dst.begin());
    if (!eeprom) laserPower_ = std::min<int>(get16(&dst[param::kPower]), 1000);
    return ack(order, req.param);
  }
  if (req.param == 1 && req.payload.size() == kTeachSize) {
    TeachTable& dst = eeprom ? eepromTeach_ : ramTeach_;
    std::copy(req.payload.begin(), req.payload.end(), dst.begin());
    return ack(order, req.param);
  }
  return refusal(kRefuseArgument);
}

Sensor::Reply Sensor::readParams(const ParsedRequest& req, bool eeprom) const {
  const uint8_t order = eeprom ? kReadEeprom : kReadRam;
  if (req.param == 0) {
    const ParamSet& src = eeprom ? eepromParams_ : ramParams_;
    return Reply{order, 0, {src.begin(), src.end()}};
  }
  if (req.param == 1) {
    const TeachTable& src = eeprom ? eepromTeach_ : ramTeach_;
    return Reply{order, 1, {src.begin(), src.end()}};
  }
  return refusal(kRefuseArgument);
}

Sensor::Reply Sensor::calibrationCommand(const ParsedRequest& req) {
  switch (req.param) {
    case 0: calibrating_ = false; return ack(kCalibCommand, 0);
    case 1: calibrating_ = true; return ack(kCalibCommand, 1);
    case 2: {
      if (req.payload.size() != 8) return refusal(kRefuseArgument);
      // Slope and offset go straight into the calibration record in flash.
      uint8_t* rec = &xflash_[xfOffset(kCalibRecordAddress)];
      std::memcpy(rec + 12, req.payload.data(), 8);
      calibrating_ = false;
      return ack(kCalibCommand, 2);
    }
    default: return refusal(kRefuseArgument);
  }
}

Sensor::Reply Sensor::flashOrder(const ParsedRequest& req) {
  const uint16_t a = req.param;
  switch (req.order) {
    case kXFlashErase: {
      if (a < kXfBase || a >= kXfEnd || (a - kXfBase) % kXfPageWords != 0) return refusal(kRefuseArgument);
      std::fill_n(xflash_.begin() + static_cast<std::ptrdiff_t>(xfOffset(a)), kXfPageWords * 2, 0xFF);
      return ack(req.order, a);
    }
    case kXFlashWrite: {
      const size_t n = req.payload.size();
      if (a < kXfBase || a >= kXfEnd || n == 0 || n > kMaxFlashBlock || xfOffset(a) + n > xflash_.size())
        return refusal(kRefuseArgument);
      std::copy(req.payload.begin(), req.payload.end(), xflash_.begin() + static_cast<std::ptrdiff_t>(xfOffset(a)));
      return ack(req.order, a);
    }
    case kXFlashRead: {
      if (a < kXfBase || a >= kXfEnd || req.payload.size() < 2) return refusal(kRefuseArgument);
      const size_t words = std::min<size_t>(get16(req.payload.data()), kMaxFlashBlock / 2);
      return Reply{req.order, a, xflash(a, words * 2)};
    }
    case kWritePFlash: {
      const size_t n = req.payload.size();
      const size_t off = static_cast<size_t>(a - kPfBase) * 2;
      if (a < kPfBase || a >= kPfEnd || n == 0 || n > kMaxFlashBlock || off + n > pflash_.size())
        return refusal(kRefuseArgument);
      std::copy(req.payload.begin(), req.payload.end(), pflash_.begin() + static_cast<std::ptrdiff_t>(off));
      return ack(req.order, a);
    }
    default: return refusal(kRefuseUnknownOrder);
  }
}

}  // namespace bx::sim
