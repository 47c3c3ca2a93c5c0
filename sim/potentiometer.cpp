// The adjustment record (order 130): the sensor keeps its settings for as
// long as it runs, copies the groups the store flags name into its stored
// settings, and lets the measured value follow the set value a step per
// exchange so a service panel sees it move.
#include <algorithm>
#include <cstdlib>

#include "sim/sensor.h"
#include "wire/frame_format.h"
#include "wire/orders.h"

namespace bx::sim {
namespace {

using namespace bx::order;
using bx::frame::get16;
using bx::frame::put16;

// Byte ranges of the setting groups each store flag covers: byte 6 and the
// words 8 to 14 (flag bit 0), words 16/20/18/22 (bit 1), 24 to 30 (bit 2).
struct Range {
  int from, to;
};
constexpr Range kGroup0[] = {{6, 7}, {8, 16}};
constexpr Range kGroup1[] = {{16, 24}};
constexpr Range kGroup2[] = {{24, 32}};

template <size_t N>
void store(std::array<uint8_t, kPotSize>& to, const std::array<uint8_t, kPotSize>& from, const Range (&g)[N]) {
  for (const Range& r : g) std::copy(from.begin() + r.from, from.begin() + r.to, to.begin() + r.from);
}

}  // namespace

// Half the way to the set value per exchange; once there, one count of
// noise either side. A plain read reports without measuring anew.
void Sensor::follow() {
  const int now = static_cast<int16_t>(get16(&pot_[adjrec::kMeasuredOffset]));
  const int target = static_cast<int16_t>(potTarget_);
  int next = now + (target - now) / 2;
  if (std::abs(target - now) <= 1) {
    potJitter_ = !potJitter_;
    next = target + (potJitter_ ? 1 : 0);
  }
  put16(&pot_[adjrec::kMeasuredOffset], static_cast<uint16_t>(next));
}

Sensor::Reply Sensor::potentiometer(const ParsedRequest& req) {
  if (!req.payload.empty() && req.payload.size() != kPotSize) return refusal(kRefuseArgument);
  if (req.payload.size() == kPotSize) {
    // The mode word and the measured value belong to the sensor; the set
    // value is a target, the settings are taken over, and the store flags
    // are done once handled.
    potTarget_ = get16(&req.payload[adjrec::kMeasuredOffset]);
    std::copy(req.payload.begin() + adjrec::kByte6Offset, req.payload.end(), pot_.begin() + adjrec::kByte6Offset);
    const uint8_t flags = pot_[adjrec::kStoreFlagsOffset];
    pot_[adjrec::kStoreFlagsOffset] = 0;
    if (flags & adjrec::kStorePage1) store(potStored_, pot_, kGroup0);
    if (flags & adjrec::kStorePage2A) store(potStored_, pot_, kGroup1);
    if (flags & adjrec::kStorePage2B) store(potStored_, pot_, kGroup2);
    follow();
  }
  return Reply{kPotentiometer, 0, {pot_.begin(), pot_.end()}};
}

std::array<uint8_t, kPotSize> Sensor::storedPotentiometer() const { return potStored_; }

}  // namespace bx::sim
