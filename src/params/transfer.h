#pragma once
// Moving the parameter set and teach table between the tool and the
// sensor's RAM or EEPROM (or a parameter file).
namespace bx {
struct Context;

void PushGET(Context& ctx, int selector);
void PushSEND(Context& ctx, int selector);

}  // namespace bx
