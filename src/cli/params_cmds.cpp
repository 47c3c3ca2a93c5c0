#include "cli/params_cmds.h"

#include <array>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "context/context.h"
#include "files/para_file.h"
#include "link/report.h"
#include "params/hwinfo.h"
#include "params/panel_values.h"
#include "params/transfer.h"
#include "cli/session.h"

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
  LinkOptions link;
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

// -1 parsed, otherwise the exit code.
int parse(int argc, char** argv, Options& o) {
  o.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string error;
    OptionResult r = parseLinkOption(argc, argv, i, o.link, error);
    if (r == OPTION_BAD) return usage(error);
    if (r == OPTION_TAKEN) continue;
    const std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--from" && o.command == "get" && next(v)) {
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
  std::string error;
  if (!linkOptionsComplete(o.link, error)) return usage(o.command + ": " + error);
  if (o.file.empty()) return usage(o.command == "send" ? "no parameter file given" : "--out FILE is required");
  if (o.command != "hwinfo" && o.memory < 0)
    return usage(o.command == "get" ? "--from ram|eeprom is required" : "--to ram|eeprom is required");
  return -1;
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

  Session session;
  if (!session.open(o.link, resourceDir, error)) {
    std::fprintf(stderr, "quellan-bx-cli: cannot load the panel resource: %s\n", error.c_str());
    return 1;
  }
  Context& ctx = session.ctx;
  auto finish = [&](bool ok) { return session.finish(ok); };
  if (session.connect() != 1) return finish(false);

  if (o.command == "hwinfo") {
    session.frontend.answerFile(ui::FILE_NEW, o.file);
    std::string why;
    const int r = GenerateHardwareInfoFile(ctx, &why);
    if (!why.empty()) ctx.status += " " + why;
    return finish(r == 1);
  }

  auto& p = ctx.params;
  if (PushGET(ctx, o.memory) != 1) return finish(false);

  if (o.command == "get") {
    if (files::WriteParaToIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), false, o.file,
                                  &error) != 1) {
      ctx.status = "Parameter file - Write error! " + error;
      return finish(false);
    }
    ctx.status = "Parameter saved successfully to file!";
    return finish(true);
  }

  // send: the file over the sensor's own records, then the same sanitising
  // as a GET from file, and out without collecting from the panels.
  if (files::ReadParaFromIniFile(p.set.data(), p.teach.data(), ctx.calib.record.bytes.data(), o.file, &error) != 1) {
    ctx.status = "Parameter not read from file! " + error;
    return finish(false);
  }
  SetPanelValues(ctx);
  return finish(PushSEND(ctx, o.memory) == 1);
}

}  // namespace bx::cli
