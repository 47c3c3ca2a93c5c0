#include "sim/faults.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "wire/orders.h"

namespace bx::sim {
namespace {

struct NamedFault {
  const char* name;
  Fault fault;
};
constexpr NamedFault kNames[] = {
    {"refuse", Fault::Refuse},         {"header-crc", Fault::BadHeaderCrc},
    {"data-crc", Fault::BadDataCrc},   {"sync", Fault::WrongSync},
    {"no-reply", Fault::NoReply},      {"fragment", Fault::Fragment},
    {"late", Fault::LateReply},        {"close", Fault::CloseConnection},
    {"oversize", Fault::OversizedLength}, {"garbage", Fault::Garbage},
    {"teach-result", Fault::TeachResult}, {"no-shadow", Fault::NoShadow},
    {"short", Fault::ShortPayload},
    {"noise", Fault::Noise},
    {"wrong-order", Fault::WrongOrder}, {"wrong-param", Fault::WrongParam},
    {"duplicate", Fault::Duplicate},
    {"late-rest", Fault::LateRest},
};

bool parseInt(const std::string& s, long lo, long hi, int& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 0);
  if (errno != 0 || end == nullptr || *end != '\0' || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

bool ActiveFaults::any() const {
  return std::any_of(on.begin(), on.end(), [](bool b) { return b; });
}

int defaultFaultArg(Fault f) {
  switch (f) {
    case Fault::Refuse: return 1;
    case Fault::Fragment: return 20;
    case Fault::LateReply: return 2500;
    case Fault::OversizedLength: return 5000;
    case Fault::Garbage: return 16;
    case Fault::ShortPayload: return 16;
    case Fault::Noise: return 16;
    default: return 0;
  }
}

void FaultSet::set(const FaultRule& in) {
  FaultRule rule = in;
  // A forced teach result only means something on a teach reply; counting
  // it down on other replies would waste it.
  if (rule.fault == Fault::TeachResult && rule.order == kAnyOrder) rule.order = order::kTeachRow;
  // A forced code, order or parameter of 0 is meant as given.
  const bool literalArg =
      rule.fault == Fault::TeachResult || rule.fault == Fault::WrongOrder || rule.fault == Fault::WrongParam;
  if (rule.arg == 0 && !literalArg) rule.arg = defaultFaultArg(rule.fault);
  std::lock_guard<std::mutex> lock(mu_);
  rules_.erase(std::remove_if(rules_.begin(), rules_.end(),
                              [&](const FaultRule& s) {
                                return s.fault == rule.fault && s.order == rule.order &&
                                       s.spontaneous == rule.spontaneous && s.param == rule.param;
                              }),
               rules_.end());
  if (rule.count != 0) rules_.push_back(rule);
}

void FaultSet::clear() {
  std::lock_guard<std::mutex> lock(mu_);
  rules_.clear();
}

void FaultSet::clear(Fault f) {
  std::lock_guard<std::mutex> lock(mu_);
  rules_.erase(std::remove_if(rules_.begin(), rules_.end(), [f](const FaultRule& s) { return s.fault == f; }),
               rules_.end());
}

bool FaultSet::matches(const FaultRule& s, uint8_t order, bool spontaneous, int param) {
  if (s.spontaneous != spontaneous) return false;
  if (s.param != kAnyParam && s.param != param) return false;
  return s.order == kAnyOrder || s.order == order;
}

ActiveFaults FaultSet::take(uint8_t order, bool spontaneous, int param) {
  ActiveFaults a;
  std::lock_guard<std::mutex> lock(mu_);
  for (auto& s : rules_) {
    if (!matches(s, order, spontaneous, param)) continue;
    if (s.skip > 0) {
      --s.skip;
      continue;
    }
    const auto i = static_cast<size_t>(s.fault);
    // An order-specific entry wins over a general one of the same kind.
    if (!a.on[i] || s.order != kAnyOrder) a.arg[i] = s.arg;
    a.on[i] = true;
    if (s.count > 0) --s.count;
  }
  rules_.erase(std::remove_if(rules_.begin(), rules_.end(), [](const FaultRule& s) { return s.count == 0; }),
               rules_.end());
  return a;
}

bool FaultSet::active(Fault f, uint8_t order, bool spontaneous) const {
  std::lock_guard<std::mutex> lock(mu_);
  return std::any_of(rules_.begin(), rules_.end(),
                     [&](const FaultRule& s) {
                       return s.fault == f && s.skip == 0 && matches(s, order, spontaneous, kAnyParam);
                     });
}

const char* faultName(Fault f) {
  for (const auto& n : kNames)
    if (n.fault == f) return n.name;
  return "?";
}

bool parseFaultRule(const std::string& text, FaultRule& out) {
  FaultRule rule;
  rule.count = kPersistent;
  std::string rest = text;
  // "stream:" aims the fault at the frames the sensor sends unasked.
  if (rest.rfind("stream:", 0) == 0) {
    rule.spontaneous = true;
    rest.erase(0, 7);
  }
  // "#N": the N-th matching frame is the first one hit.
  if (const auto hash = rest.find('#'); hash != std::string::npos) {
    int nth = 0;
    if (!parseInt(rest.substr(hash + 1), 1, INT_MAX, nth)) return false;
    rule.skip = nth - 1;
    rest.resize(hash);
  }
  if (const auto at = rest.find('@'); at != std::string::npos) {
    std::string target = rest.substr(at + 1);
    if (const auto slash = target.find('/'); slash != std::string::npos) {
      if (!parseInt(target.substr(slash + 1), 0, 65535, rule.param)) return false;
      target.resize(slash);
    }
    if (!parseInt(target, 0, 255, rule.order)) return false;
    rest.resize(at);
  }
  if (const auto colon = rest.find(':'); colon != std::string::npos) {
    if (!parseInt(rest.substr(colon + 1), 1, INT_MAX, rule.count)) return false;
    rest.resize(colon);
  }
  // Frames sent without a request carry the prefix.
  constexpr std::string_view kStreamed = "streamed-";
  if (rest.rfind(kStreamed, 0) == 0) {
    rule.spontaneous = true;
    rest.erase(0, kStreamed.size());
  }
  std::string name = rest;
  bool hasArg = false;
  if (const auto eq = rest.find('='); eq != std::string::npos) {
    name = rest.substr(0, eq);
    if (!parseInt(rest.substr(eq + 1), -32768, 65535, rule.arg)) return false;
    hasArg = true;
  }
  const auto it = std::find_if(std::begin(kNames), std::end(kNames), [&](const NamedFault& n) { return name == n.name; });
  if (it == std::end(kNames)) return false;
  rule.fault = it->fault;
  if (rule.fault == Fault::Refuse && hasArg && (rule.arg < 1 || rule.arg > 3)) return false;
  if (rule.fault == Fault::TeachResult && !hasArg) return false;
  if (rule.fault == Fault::WrongOrder && !(hasArg && rule.arg >= 0 && rule.arg <= 255)) return false;
  if (rule.fault == Fault::WrongParam && !(hasArg && rule.arg >= 0)) return false;
  if (rule.fault == Fault::Duplicate && hasArg) return false;
  if (rule.fault == Fault::LateRest && rule.arg < 0) return false;
  if ((rule.fault == Fault::Fragment || rule.fault == Fault::LateReply || rule.fault == Fault::Garbage ||
       rule.fault == Fault::Noise ||
       rule.fault == Fault::OversizedLength) &&
      hasArg && rule.arg <= 0)
    return false;
  out = rule;
  return true;
}

}  // namespace bx::sim
