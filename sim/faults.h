#pragma once
// Fault injection: what the simulated sensor does wrong, and for how long.
// A fault applies to the next N frames it matches, or until cleared. The set
// is guarded by its own mutex so a test thread may change it while a server
// thread answers requests.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace bx::sim {

enum class Fault : int {
  Refuse,          // arg: refusal parameter 1, 2 or 3 (default 1)
  BadHeaderCrc,
  BadDataCrc,
  WrongSync,
  NoReply,
  Fragment,        // arg: ms between fragments (default 20)
  LateReply,       // arg: delay in ms (default 2500)
  CloseConnection, // TCP: close instead of replying; pty: no reply
  OversizedLength, // arg: announced length (default 5000)
  Garbage,         // arg: number of random bytes (default 16)
  TeachResult,     // arg: forced signed result code of a teach
  NoShadow,        // remove the object: no edges
  ShortPayload,    // arg: payload bytes kept (default 16); CRCs stay valid
  Noise,           // arg: random bytes sent before the frame (default 16)
  WrongOrder,      // arg: the order code the reply carries instead of its own
  WrongParam,      // arg: the frame parameter the reply carries instead
  Duplicate,       // the reply is sent twice
  LateRest,        // the reply's first part now, the rest arg ms later, or
                   // with arg 0 just ahead of the next frame on the channel
};
constexpr int kFaultKinds = static_cast<int>(Fault::LateRest) + 1;

constexpr int kPersistent = -1;  // count: until cleared
constexpr int kAnyOrder = -1;
constexpr int kAnyParam = -1;

struct FaultRule {
  Fault fault = Fault::NoReply;
  int count = 1;          // frames it applies to; kPersistent = until cleared
  int arg = 0;            // 0 = the fault's default
  int order = kAnyOrder;  // only frames of this order
  bool spontaneous = false;  // applies to unrequested frames (scope data,
                             // triggered recorder samples) instead of replies
  int param = kAnyParam;     // only frames with this frame parameter (with order)
  int skip = 0;              // matching frames passed over before it applies
};

// The faults that apply to one frame, with their arguments resolved.
struct ActiveFaults {
  std::array<bool, kFaultKinds> on{};
  std::array<int, kFaultKinds> arg{};
  bool has(Fault f) const { return on[static_cast<size_t>(f)]; }
  int argOf(Fault f) const { return arg[static_cast<size_t>(f)]; }
  bool any() const;
};

class FaultSet {
 public:
  // Adds a fault; one with the same kind and target replaces it. A count of
  // 0 removes it.
  void set(const FaultRule& rule);
  void clear();
  void clear(Fault f);

  // The faults for one outgoing frame; counted faults are used up.
  ActiveFaults take(uint8_t order, bool spontaneous, int param = kAnyParam);
  // Whether a fault is in force for that kind of frame, without using it up.
  bool active(Fault f, uint8_t order, bool spontaneous) const;

 private:
  static bool matches(const FaultRule& s, uint8_t order, bool spontaneous, int param);
  mutable std::mutex mu_;
  std::vector<FaultRule> rules_;
};

int defaultFaultArg(Fault f);

// Command-line form [stream:]NAME[=ARG][:COUNT][@ORDER[/PARAM]][#NTH]; "stream:"
// hits the unrequested frames (scope record, triggered samples); names: refuse,
// header-crc, data-crc, sync, no-reply, fragment, late, close, oversize,
// garbage, teach-result, no-shadow, short, noise, late-rest; the prefix streamed-
// makes the rule one for unrequested frames. COUNT defaults to
// persistent; #NTH lets the first NTH-1 matching frames pass (wrong-order,
// wrong-param and duplicate: the reply's order or parameter replaced, the
// reply sent twice). False on a bad text.
bool parseFaultRule(const std::string& text, FaultRule& out);
const char* faultName(Fault f);

}  // namespace bx::sim
