#include "wire/recorder_sample.h"

#include "wire/frame_format.h"

namespace bx::recsample {

RecorderSample decode(const uint8_t* d) {
  RecorderSample s;
  s.edgeA = frame::get16(d + EDGE_A);
  s.edgeB = frame::get16(d + EDGE_B);
  s.value = frame::get16(d + VALUE);
  s.edges = frame::get16(d + EDGES);
  s.valueUm = frame::gets32(d + VALUE_UM);
  return s;
}

}  // namespace bx::recsample
