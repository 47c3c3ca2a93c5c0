// quellan-bx-cli: the command-line front-end over the same core, for
// service scripts and automation.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup.h"
#include "cli/params_cmds.h"
#include "context/context.h"
#include "link/bringup.h"
#include "link/conn_page.h"
#include "link/transport.h"
#include "platform/com_ports.h"
#include "ui/headless.h"

namespace {

const char* kUsage =
    "Usage:\n"
    "  quellan-bx-cli identify --tcp HOST[:PORT]\n"
    "  quellan-bx-cli identify --serial DEVICE-OR-COMn [--baud INDEX]\n"
    "  quellan-bx-cli ports\n"
    "  quellan-bx-cli --help\n"
    "\n"
    "identify  connects to the sensor and runs the same bring-up as the desktop\n"
    "          tool: echo, firmware text, family and firmware-version check,\n"
    "          hardware record, model, calibration record.\n"
    "          --tcp HOST[:PORT]   TCP client to the sensor (default port 5000)\n"
    "          --serial DEV        a device such as /dev/ttyUSB0 or /dev/pts/3,\n"
    "                              or a COM number such as COM33\n"
    "          --baud INDEX        0=9600 1=19200 2=38400 3=57600 4=115200 (default)\n"
    "                              5=230400 6=460800 7=921600\n"
    "ports     lists the serial ports of this computer as \"Find COM ports\" does.\n"
    "\n"
    "Output: every line of the connection message box as it is appended; every\n"
    "pop-up as a line [TITLE] followed by its text; at the end \"status: TEXT\".\n"
    "Exit code: 0 sensor connected and identified, 1 not, 2 usage error.\n";

void printUsage(FILE* f) {
  std::fprintf(f, "%s\n%s", kUsage, bx::cli::ParamCommandsUsage());
}

int usage(const char* msg) {
  if (msg) std::fprintf(stderr, "quellan-bx-cli: %s\n", msg);
  printUsage(stderr);
  return 2;
}

struct Options {
  std::string command;
  bool tcp = false;
  std::string host;
  int port = 5000;
  std::string serial;
  int com = -1;
  int baud = 4;
};

bool parseComOrDevice(const std::string& s, int& com) {
  if ((s.rfind("COM", 0) == 0 || s.rfind("com", 0) == 0) && s.size() > 3 &&
      s.find_first_not_of("0123456789", 3) == std::string::npos) {
    com = std::atoi(s.c_str() + 3);
    return com >= 1 && com <= 255;
  }
  com = bx::platform::comNumber(s);
  return com > 0;
}

int parseArgs(int argc, char** argv, Options& o) {
  if (argc < 2) return usage("no command given");
  for (int i = 1; i < argc; ++i)
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      printUsage(stdout);
      return 0;
    }
  o.command = argv[1];
  if (o.command != "identify" && o.command != "ports") return usage(("unknown command " + o.command).c_str());
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--tcp" && next(v)) {
      o.tcp = true;
      size_t colon = v.rfind(':');
      o.host = v.substr(0, colon);
      if (colon != std::string::npos) {
        std::string p = v.substr(colon + 1);
        if (p.empty() || p.find_first_not_of("0123456789") != std::string::npos) return usage("bad TCP port");
        o.port = std::atoi(p.c_str());
        if (o.port < 1 || o.port > 65535) return usage("bad TCP port");
      }
      if (o.host.empty()) return usage("no host given");
    } else if (a == "--serial" && next(v)) {
      o.serial = v;
      if (!parseComOrDevice(v, o.com)) return usage(("no COM number for " + v).c_str());
    } else if (a == "--baud" && next(v)) {
      if (v.size() != 1 || v[0] < '0' || v[0] > '7') return usage("baud index must be 0 to 7");
      o.baud = v[0] - '0';
    } else {
      return usage(("unexpected argument " + a).c_str());
    }
  }
  if (o.command == "identify" && o.tcp == !o.serial.empty()) return usage("identify needs either --tcp or --serial");
  return -1;
}

int runPorts() {
  auto ports = bx::platform::listPorts();
  if (ports.empty()) return 0;
  std::printf("Available COM PORTS:\n");
  for (const auto& p : ports) {
    std::printf("COM%d  %s", p.com, p.device.c_str());
    if (!p.description.empty()) std::printf("  %s", p.description.c_str());
    std::printf("\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && bx::cli::IsParamCommand(argv[1])) return bx::cli::RunParamCommand(argc, argv);
  Options o;
  int rc = parseArgs(argc, argv, o);
  if (rc >= 0) return rc;
  if (o.command == "ports") return runPorts();

  bx::Context ctx;
  bx::ui::HeadlessFrontend frontend;
  frontend.setEcho(true);
  ctx.ui.frontend = &frontend;
  std::string error;
  std::string resource = bx::ExecutableDir() + "/" + bx::kResourceFile;
  if (!bx::LoadPanels(ctx, resource, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  bx::InitVars(ctx);
  frontend.setEchoBox(ctx.refs.conn.msgBox);
  auto& L = ctx.link;
  if (o.tcp) {
    L.transport = bx::TRANSPORT_TCP;
    L.ipAddress = o.host;
    L.tcpPort = o.port;
  } else {
    L.transport = bx::TRANSPORT_RS232;
    L.comPort = static_cast<uint16_t>(o.com);
    L.baudIndex = static_cast<uint16_t>(o.baud);
  }
  bx::ShowConnectionValues(ctx);
  int r = bx::ConnectProcedure(ctx);
  std::printf("status: %s\n", ctx.status.c_str());
  bx::CloseLink(ctx, true);
  return r == 1 ? 0 : 1;
}
