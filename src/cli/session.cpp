#include "cli/session.h"

#include <cstdio>
#include <cstdlib>

#include "app/paths.h"
#include "app/startup.h"
#include "link/exchange.h"
#include "connection/bringup.h"
#include "connection/conn_page.h"
#include "link/transport.h"
#include "platform/com_ports.h"
#include "platform/interrupt.h"

namespace bx::cli {
namespace {

bool parseComOrDevice(const std::string& s, int& com) {
  if ((s.rfind("COM", 0) == 0 || s.rfind("com", 0) == 0) && s.size() > 3 &&
      s.find_first_not_of("0123456789", 3) == std::string::npos && s.size() <= 6) {
    com = std::atoi(s.c_str() + 3);
    return com >= 1 && com <= 255;
  }
  com = platform::comNumber(s);
  return com > 0;
}

}  // namespace

OptionResult parseLinkOption(int argc, char** argv, int& i, LinkOptions& o, std::string& error) {
  const std::string a = argv[i];
  if (a != "--tcp" && a != "--serial" && a != "--baud") return OPTION_NOT_MINE;
  if (i + 1 >= argc) {
    error = a + " needs a value";
    return OPTION_BAD;
  }
  const std::string v = argv[++i];
  if (a == "--tcp") {
    o.tcp = true;
    size_t colon = v.rfind(':');
    o.host = v.substr(0, colon);
    if (colon != std::string::npos) {
      std::string p = v.substr(colon + 1);
      if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) {
        error = "bad TCP port";
        return OPTION_BAD;
      }
      o.port = std::atoi(p.c_str());
      if (o.port < 1 || o.port > 65535) {
        error = "bad TCP port";
        return OPTION_BAD;
      }
    }
    if (o.host.empty()) {
      error = "no host given";
      return OPTION_BAD;
    }
  } else if (a == "--serial") {
    o.serial = true;
    if (!parseComOrDevice(v, o.com)) {
      error = "no COM number for " + v;
      return OPTION_BAD;
    }
  } else {
    if (v.size() != 1 || v[0] < '0' || v[0] > '7') {
      error = "baud index must be 0 to 7";
      return OPTION_BAD;
    }
    o.baud = v[0] - '0';
  }
  return OPTION_TAKEN;
}

bool linkOptionsComplete(const LinkOptions& o, std::string& error) {
  if (o.tcp == o.serial) {
    error = "give either --tcp or --serial";
    return false;
  }
  return true;
}

const char* linkOptionsHelp() {
  return "          --tcp HOST[:PORT]   TCP client to the sensor (default port 5000)\n"
         "          --serial DEV        a device such as /dev/ttyUSB0 or /dev/pts/3,\n"
         "                              or a COM number such as COM33\n"
         "          --baud INDEX        0=9600 1=19200 2=38400 3=57600 4=115200 (default)\n"
         "                              5=230400 6=460800 7=921600\n";
}

void InstallInterruptHandler() { platform::CatchInterrupt(); }

bool Interrupted() { return platform::InterruptRequested(); }

bool Session::open(const LinkOptions& o, const std::string& resourceDir, std::string& error) {
  frontend.setEcho(true);
  ctx.ui.frontend = &frontend;
  const std::string dir = resourceDir.empty() ? FindResourceDir(ExecutableDir()) : resourceDir;
  if (!LoadPanels(ctx, dir + "/" + kResourceFile, error)) return false;
  InitVars(ctx);
  ctx.app.resourceDir = dir;
  frontend.setEchoBox(ctx.refs.conn.msgBox);
  auto& L = ctx.link;
  if (o.tcp) {
    L.transport = TRANSPORT_TCP;
    L.ipAddress = o.host;
    L.tcpPort = o.port;
  } else {
    L.transport = TRANSPORT_RS232;
    L.comPort = static_cast<uint16_t>(o.com);
    L.baudIndex = static_cast<uint16_t>(o.baud);
  }
  ShowConnectionValues(ctx);
  return true;
}

int Session::connect() { return ConnectProcedure(ctx); }

int Session::finish(bool ok) {
  std::printf("status: %s\n", ctx.status.c_str());
  std::fflush(stdout);
  // A service script can tell a refusal from a dead line without parsing
  // the status text.
  // Why a serial port could not be opened and what to do: the line
  // scripts and operators read.
  if (!ok && !ctx.link.openReason.empty()) std::fprintf(stderr, "reason: %s\n", ctx.link.openReason.c_str());
  const LinkFailure why = ctx.link.failure;
  if (!ok && why != LinkFailure::None) {
    if (why == LinkFailure::Refused)
      std::fprintf(stderr, "link: %s (parameter %u)\n", LinkFailureText(why), ctx.link.refusalParam);
    else
      std::fprintf(stderr, "link: %s\n", LinkFailureText(why));
  }
  CloseLink(ctx, true);
  return ok ? 0 : 1;
}

}  // namespace bx::cli
