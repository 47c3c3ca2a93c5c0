#include "cli/params_cmds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/startup.h"
#include "context/context.h"
#include "files/para_file.h"
#include "link/bringup.h"
#include "link/conn_page.h"
#include "link/report.h"
#include "link/transport.h"
#include "params/hwinfo.h"
#include "params/panel_values.h"
#include "params/transfer.h"
#include "platform/com_ports.h"
#include "ui/headless.h"

namespace bx::cli {
namespace {

const char* kUsage =
    "  quellan-bx-cli get --from ram|eeprom --out FILE.ini (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "  quellan-bx-cli send --to ram|eeprom FILE.ini (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "  quellan-bx-cli hwinfo --out FILE.ini (--tcp HOST[:PORT] | --serial DEV [--baud INDEX])\n"
    "\n"
    "get       reads the parameter set and teach table from the sensor's RAM or\n"
    "          EEPROM and writes them as a parameter file.\n"
    "send      reads the sensor's records from RAM or EEPROM, lays the parameter\n"
    "          file over them (fields the file does not hold keep the sensor's\n"
    "          values), brings them into range and sends them to the same memory.\n"
    "hwinfo    writes the hardware info file of the connected sensor.\n";

struct Options {
  std::string command;
  bool tcp = false;
  std::string host;
  int port = 5000;
  int com = -1;
  int baud = 4;
  int memory = -1;
  std::string file;
};

int usage(const std::string& msg) {
  std::fprintf(stderr, "quellan-bx-cli: %s\nUsage:\n%s", msg.c_str(), kUsage);
  return 2;
}

bool parseMemory(const std::string& v, int& mem) {
  if (v == "ram" || v == "RAM") mem = MEM_RAM;
  else if (v == "eeprom" || v == "EEPROM") mem = MEM_EEPROM;
  else return false;
  return true;
}

bool parseCom(const std::string& s, int& com) {
  if ((s.rfind("COM", 0) == 0 || s.rfind("com", 0) == 0) && s.size() > 3 &&
      s.find_first_not_of("0123456789", 3) == std::string::npos) {
    com = std::atoi(s.c_str() + 3);
    return com >= 1 && com <= 255;
  }
  com = platform::comNumber(s);
  return com > 0;
}

// -1 parsed, otherwise the exit code.
int parse(int argc, char** argv, Options& o) {
  o.command = argv[1];
  bool haveSerial = false;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--tcp" && next(v)) {
      o.tcp = true;
      const size_t colon = v.rfind(':');
      o.host = v.substr(0, colon);
      if (colon != std::string::npos) {
        const std::string p = v.substr(colon + 1);
        if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return usage("bad TCP port");
        o.port = std::atoi(p.c_str());
        if (o.port < 1 || o.port > 65535) return usage("bad TCP port");
      }
      if (o.host.empty()) return usage("no host given");
    } else if (a == "--serial" && next(v)) {
      haveSerial = true;
      if (!parseCom(v, o.com)) return usage("no COM number for " + v);
    } else if (a == "--baud" && next(v)) {
      if (v.size() != 1 || v[0] < '0' || v[0] > '7') return usage("baud index must be 0 to 7");
      o.baud = v[0] - '0';
    } else if (a == "--from" && o.command == "get" && next(v)) {
      if (!parseMemory(v, o.memory)) return usage("--from takes ram or eeprom");
    } else if (a == "--to" && o.command == "send" && next(v)) {
      if (!parseMemory(v, o.memory)) return usage("--to takes ram or eeprom");
    } else if (a == "--out" && o.command != "send" && next(v)) {
      o.file = v;
    } else if (o.command == "send" && !a.empty() && a[0] != '-' && o.file.empty()) {
      o.file = a;
    } else {
      return usage("unexpected argument " + a);
    }
  }
  if (o.tcp == haveSerial) return usage(o.command + " needs either --tcp or --serial");
  if (o.file.empty()) return usage(o.command == "send" ? "no parameter file given" : "--out FILE is required");
  if (o.command != "hwinfo" && o.memory < 0)
    return usage(o.command == "get" ? "--from ram|eeprom is required" : "--to ram|eeprom is required");
  return -1;
}

int finish(Context& ctx, bool ok) {
  std::printf("status: %s\n", ctx.status.c_str());
  std::fflush(stdout);
  CloseLink(ctx, true);
  return ok ? 0 : 1;
}

bool fileReadable(const std::string& path, std::string& error) {
  std::array<uint8_t, ParamState::kParamSize> set{};
  std::array<uint8_t, ParamState::kTeachSize> teach{};
  std::array<uint8_t, CalibRecord::kSize> calib{};
  return files::ReadParaFromIniFile(set.data(), teach.data(), calib.data(), path, &error) == 1;
}

}  // namespace

bool IsParamCommand(const std::string& c) { return c == "get" || c == "send" || c == "hwinfo"; }

const char* ParamCommandsUsage() { return kUsage; }

int RunParamCommand(int argc, char** argv, const std::string& resourceDir) {
  if (argc < 2 || !IsParamCommand(argv[1])) return usage("unknown command");
  Options o;
  const int rc = parse(argc, argv, o);
  if (rc >= 0) return rc;

  std::string error;
  if (o.command == "send" && !fileReadable(o.file, error)) {
    std::printf("status: Parameter not read from file! %s\n", error.c_str());
    return 1;
  }

  Context ctx;
  ui::HeadlessFrontend frontend;
  frontend.setEcho(true);
  ctx.ui.frontend = &frontend;
  const std::string dir = resourceDir.empty() ? ExecutableDir() : resourceDir;
  if (!LoadPanels(ctx, dir + "/" + kResourceFile, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  InitVars(ctx);
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
  if (ConnectProcedure(ctx) != 1) return finish(ctx, false);

  if (o.command == "hwinfo") {
    frontend.answerFile(ui::FILE_NEW, o.file);
    return finish(ctx, GenerateHardwareInfoFile(ctx) == 1);
  }

  auto& p = ctx.params;
  if (PushGET(ctx, o.memory) != 1) return finish(ctx, false);

  if (o.command == "get") {
    if (files::WriteParaToIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), false, o.file,
                                  &error) != 1) {
      ctx.status = "Parameter file - Write error! " + error;
      return finish(ctx, false);
    }
    ctx.status = "Parameter saved successfully to file!";
    return finish(ctx, true);
  }

  // send: the file over the sensor's own records, then the same sanitising
  // as a GET from file, and out without collecting from the panels.
  if (files::ReadParaFromIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), o.file, &error) != 1) {
    ctx.status = "Parameter not read from file! " + error;
    return finish(ctx, false);
  }
  SetPanelValues(ctx);
  return finish(ctx, PushSEND(ctx, o.memory) == 1);
}

}  // namespace bx::cli
