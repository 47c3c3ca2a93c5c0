#pragma once
// What the operator is told about a serial port beyond the open error's
// code: why it could not be opened and what to do, and that an adapter was
// removed under a running link. Texts are written in English with %1, %2 ...
// for what varies; the language file in force translates them whole.
#include <string>

#include "platform/port_diagnosis.h"

namespace bx {
struct Context;

// The second line after "Cannot open port" and its kin; "" when the open
// error says all there is to say.
std::string SerialOpenReason(const Context& ctx, const platform::PortDiagnosis& d);

// "SERIAL ADAPTER REMOVED: COM33 (/dev/ttyUSB0)!" in the language in force.
std::string AdapterRemovedText(const Context& ctx, const std::string& device);

}  // namespace bx
