#include "wire/frame_format.h"

#include "wire/crc8.h"

namespace bx::frame {

uint8_t encodeHeader(uint8_t out[kHeaderSize], uint8_t order, uint16_t param, const uint8_t* payload,
                     uint16_t length) {
  out[0] = kSync;
  out[1] = order;
  put16(out + 2, param);
  put16(out + 4, length);
  out[6] = (length > 0 && payload != nullptr) ? crc8(payload, length) : kEmptyDataCrc;
  out[7] = crc8(out, 7);
  return out[7];
}

bool headerValid(const uint8_t in[kHeaderSize]) { return in[0] == kSync && crc8(in, kHeaderSize) == 0; }

Header decodeHeader(const uint8_t in[kHeaderSize]) {
  Header h;
  h.sync = in[0];
  h.order = in[1];
  h.param = get16(in + 2);
  h.length = get16(in + 4);
  h.dataCrc = in[6];
  h.headerCrc = in[7];
  return h;
}

}  // namespace bx::frame
