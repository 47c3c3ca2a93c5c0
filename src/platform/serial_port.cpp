#include "platform/serial_port.h"

namespace bx::platform {

long baudOfIndex(int index) {
  static const long kRates[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
  return (index >= 0 && index < 8) ? kRates[index] : 115200;
}

}  // namespace bx::platform
