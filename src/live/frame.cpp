#include "live/frame.h"

namespace bx {

LiveFrame DecodeLiveFrame(const LiveState& live) {
  liverec::Bytes rec = live.record;
  liverec::sanitise(rec);
  LiveFrame f;
  f.values = liverec::decode(rec);
  f.video = &live.video;
  f.triggeredVideo = &live.triggeredVideo;
  f.edgesPositive = &live.edgeP;
  f.edgesNegative = &live.edgeN;
  return f;
}

}  // namespace bx
