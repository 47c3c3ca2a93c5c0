#include "link/port_reason.h"

#include <cstdio>
#include <initializer_list>

#include "context/context.h"
#include "platform/com_ports.h"

namespace bx {
namespace {

std::string fill(const Context& ctx, const char* english, std::initializer_list<std::string> args) {
  return ctx.app.texts.format(english, args);
}

// "COM33 (/dev/ttyUSB0)", or the device alone where it has no COM number.
std::string portName(const std::string& device) {
  const int com = platform::comNumber(device);
  return com > 0 ? "COM" + std::to_string(com) + " (" + device + ")" : device;
}

std::string presentPorts(const std::vector<platform::PortInfo>& ports) {
  std::string out;
  for (const auto& p : ports) {
    if (!out.empty()) out += ", ";
    out += "COM" + std::to_string(p.com) + " " + p.device;
    if (!p.description.empty()) out += " [" + p.description + "]";
  }
  return out;
}

std::string holders(const Context& ctx, const std::vector<platform::PortHolder>& list) {
  if (list.empty()) return fill(ctx, "a program whose process this account cannot see", {});
  std::string out;
  for (const auto& h : list) {
    if (!out.empty()) out += ", ";
    out += fill(ctx, "%1 (process %2)", {h.program.empty() ? "?" : h.program, std::to_string(h.pid)});
  }
  return out;
}

std::string octal(unsigned mode) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04o", mode & 07777);
  return buf;
}

}  // namespace

std::string SerialOpenReason(const Context& ctx, const platform::PortDiagnosis& d) {
  using platform::PortProblem;
  const std::string port = portName(d.device);
  switch (d.problem) {
    case PortProblem::None: return {};
    case PortProblem::NotPresent:
      if (d.present.empty())
        return fill(ctx, "%1 is not present (unplugged, or named wrongly), and no serial port is present now.", {port});
      return fill(ctx, "%1 is not present (unplugged, or named wrongly). Serial ports present now: %2.",
                  {port, presentPorts(d.present)});
    case PortProblem::NotPermitted:
      if (d.memberInSession)
        return fill(ctx,
                    "%1 belongs to group %2, which this login session already has, so the group is not the cause: "
                    "look at the device's mode (%3) and the udev rule that sets it.",
                    {port, d.group, octal(d.mode)});
      // Adding anyone to root's group, or to a group the device's mode
      // shuts out, would not help (or would do harm).
      if (!d.groupMayUse() || d.gid == 0)
        return fill(ctx,
                    "%1 (mode %2, group %3) may not be used by account %4, and no group membership would help: "
                    "the device's mode or the udev rule that sets it is the cause.",
                    {port, octal(d.mode), d.group, d.user});
      if (d.memberOnPaper)
        return fill(ctx,
                    "%1 belongs to group %2; account %3 is a member, but not yet in this login session. "
                    "Remedy: log out and back in.",
                    {port, d.group, d.user});
      return fill(ctx,
                  "%1 belongs to group %2, and account %3 is not a member of it. "
                  "Remedy: sudo usermod -aG %2 %3 then log out and back in.",
                  {port, d.group, d.user});
    case PortProblem::InUse:
      switch (d.hold) {
        case platform::PortHold::Exclusive:
          return fill(ctx, "%1 is in use: another program holds it in exclusive mode: %2. Close it, then connect again.",
                      {port, holders(ctx, d.holders)});
        case platform::PortHold::Flock:
          return fill(ctx, "%1 is in use: another program holds a lock (flock) on it: %2. Close it, then connect again.",
                      {port, holders(ctx, d.holders)});
        case platform::PortHold::LockFile:
          return fill(ctx, "%1 is in use: another program holds its lock file %3: %2. Close it, then connect again.",
                      {port, holders(ctx, d.holders), d.lockFile});
      }
      return {};
    case PortProblem::NotSerial:
      return fill(ctx, "%1 is not a serial device: its terminal settings cannot be read. Choose the serial adapter's port.",
                  {port});
  }
  return {};
}

std::string AdapterRemovedText(const Context& ctx, const std::string& device) {
  return fill(ctx, "SERIAL ADAPTER REMOVED: %1!", {portName(device)});
}

}  // namespace bx
