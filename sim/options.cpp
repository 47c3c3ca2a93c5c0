#include "sim/options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "sim/sensor_states.h"

namespace bx::sim {
namespace {

bool toNumber(const std::string& s, long long lo, long long hi, long long& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

}  // namespace

const char* usageText() {
  return "Usage: bx-sim [options]\n"
         "Simulated light-band sensor speaking the frame protocol.\n"
         "\n"
         "Transports (default: --tcp=5000):\n"
         "  --tcp[=PORT]          TCP server on 127.0.0.1 (0 = any free port)\n"
         "  --pty                 pseudo-terminal; open the printed path as serial port\n"
         "Model:\n"
         "  --board N             board code (402111)\n"
         "  --hwtype N            hardware type (802776)\n"
         "  --fw-text TEXT        firmware text (\"Quellan-BX-28-K V5.45\")\n"
         "  --fw-version N        firmware version in hundredths (545)\n"
         "  --serial N            serial number (1234)\n"
         "  --subpixel N          sub-pixel count (16384)\n"
         "  --pixels N            pixel count, also highest and last pixel (16384)\n"
         "  --video-range N       video amplitude range (1024)\n"
         "  --calib-slope N       calibration slope x16384 (28672 = 1.75 um/pixel)\n"
         "  --calib-range N       measuring range in um (pixels x slope)\n"
         "  --calib-offset N      offset in um (0)\n"
         "Live mode:\n"
         "  --trigger-period MS   pulse input IN0 every MS milliseconds: the trigger\n"
         "                        counter counts, and the live record, video and edges\n"
         "                        of that moment answer order 8/1, 9/2 and 20/1\n"
         "  --still               hold the shadow still (default: it drifts back and\n"
         "                        forth across the line)\n"
         "  --shadow-period S     seconds of one back-and-forth drift (20)\n"
         "  --state NAME|CODE     report this state code in every live record: ok,\n"
         "                        dirt, laser-off, teach, pos-trigger, neg-trigger,\n"
         "                        lo-pos, lo-neg, no-edges, lo-edges, hi-edges, or a\n"
         "                        number (also one no sensor sends, to test clamping)\n"
         "  --program-word N      report program number N in the live record\n"
         "  --pace-baud RATE      send reply bytes no faster than a serial line of RATE\n"
         "                        baud (10 bits a byte), on TCP and the pty alike\n"
         "Faults (repeatable): --fault NAME[=ARG][:COUNT][@ORDER[/PARAM]]\n"
         "  refuse=1|2|3, header-crc, data-crc, sync, no-reply, fragment=MS,\n"
         "  late=MS, close, oversize=LEN, garbage=N, teach-result=CODE, no-shadow,\n"
         "  short=N (reply payload cut to N bytes).\n"
         "  noise=N (N random bytes before the frame).\n"
         "  late-rest[=MS] (the reply's header and half its payload now, the rest\n"
         "  MS later; without MS just ahead of the next reply, even to the next\n"
         "  program that opens the pty).\n"
         "  COUNT replies (default: every reply); @ORDER limits it to one order,\n"
         "  @ORDER/PARAM to one frame parameter of it.\n"
         "  More: wrong-order=ORDER, wrong-param=PARAM (the reply carries them\n"
         "  instead of its own), duplicate (the reply sent twice). A suffix #N\n"
         "  lets the first N-1 matching replies pass: refuse:1@1/0#2 refuses the\n"
         "  second parameter set sent to RAM.\n"
         "  A name with the prefix streamed- (streamed-header-crc@18) hits only the\n"
         "  frames the sensor sends on its own (scope record, triggered recorder\n"
         "  samples) instead of replies.\n"
         "  --help                this text\n"
         "  --version             the version\n";
}

bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
  Options o;
  bool rangeGiven = false, lastPixelGiven = false;
  bool hwCalib = false, serialCalib = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
      value = name.substr(eq + 1);
      name.resize(eq);
      hasValue = true;
    }
    auto takeValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto number = [&](long long lo, long long hi, long long& v) -> bool {
      if (!takeValue()) return false;
      if (!toNumber(value, lo, hi, v)) {
        error = "bad value for " + name + ": '" + value + "'";
        return false;
      }
      return true;
    };
    long long v = 0;
    if (name == "--help" || name == "-h") {
      o.help = true;
    } else if (name == "--version") {
      o.version = true;
    } else if (name == "--tcp") {
      o.tcp = true;
      if (hasValue) {
        if (!toNumber(value, 0, 65535, v)) {
          error = "bad TCP port: '" + value + "'";
          return false;
        }
        o.tcpPort = static_cast<int>(v);
      }
    } else if (name == "--pty") {
      o.pty = true;
    } else if (name == "--board") {
      if (!number(0, UINT32_MAX, v)) return false;
      o.config.boardCode = static_cast<uint32_t>(v);
    } else if (name == "--hwtype") {
      if (!number(0, UINT32_MAX, v)) return false;
      o.config.hardwareType = static_cast<uint32_t>(v);
      hwCalib = true;
    } else if (name == "--fw-text") {
      if (!takeValue()) return false;
      o.config.firmwareText = value;
    } else if (name == "--fw-version") {
      if (!number(0, 32767, v)) return false;
      o.config.firmwareVersion = static_cast<int16_t>(v);
    } else if (name == "--serial") {
      if (!number(0, 32767, v)) return false;
      o.config.serial = static_cast<int16_t>(v);
      serialCalib = true;
    } else if (name == "--subpixel") {
      if (!number(1, 32767, v)) return false;
      o.config.subPixelCount = static_cast<int16_t>(v);
    } else if (name == "--pixels") {
      if (!number(256, 32767, v)) return false;
      o.config.pixelCount = static_cast<int16_t>(v);
      o.config.highestPixel = static_cast<int16_t>(v);
      lastPixelGiven = true;
    } else if (name == "--video-range") {
      if (!number(1, 32767, v)) return false;
      o.config.videoRange = static_cast<int16_t>(v);
    } else if (name == "--calib-slope") {
      if (!number(1, INT32_MAX, v)) return false;
      o.config.calib.slopeX16384 = static_cast<int32_t>(v);
    } else if (name == "--calib-range") {
      if (!number(0, INT32_MAX, v)) return false;
      o.config.calib.rangeUm = static_cast<int32_t>(v);
      rangeGiven = true;
    } else if (name == "--calib-offset") {
      if (!number(INT32_MIN, INT32_MAX, v)) return false;
      o.config.calib.offsetUm = static_cast<int32_t>(v);
    } else if (name == "--trigger-period") {
      if (!number(0, 3600000, v)) return false;
      o.config.triggerPeriodMs = static_cast<int>(v);
    } else if (name == "--still") {
      o.config.shadowTravel = 0;
      o.config.shadowBreath = 0;
    } else if (name == "--shadow-period") {
      if (!number(1, 3600, v)) return false;
      o.config.shadowPeriodS = static_cast<double>(v);
    } else if (name == "--state") {
      if (!takeValue()) return false;
      int code = 0;
      if (!parseStateName(value, code)) {
        error = "bad state: '" + value + "'";
        return false;
      }
      o.config.forcedState = code;
    } else if (name == "--program-word") {
      if (!number(0, 65535, v)) return false;
      o.config.forcedProgram = static_cast<int>(v);
    } else if (name == "--pace-baud") {
      if (!number(0, 100000000, v)) return false;
      o.config.paceBaud = static_cast<int>(v);
    } else if (name == "--fault") {
      if (!takeValue()) return false;
      FaultRule f;
      if (!parseFaultRule(value, f)) {
        error = "bad fault: '" + value + "'";
        return false;
      }
      o.faults.push_back(f);
    } else {
      error = "unknown option: " + args[i];
      return false;
    }
  }
  // Keep the calibration record in step with the model unless told otherwise.
  if (hwCalib) o.config.calib.hardwareType = o.config.hardwareType;
  if (serialCalib) o.config.calib.serial = static_cast<uint16_t>(o.config.serial);
  if (lastPixelGiven) o.config.calib.lastPixel = static_cast<uint16_t>(o.config.pixelCount);
  if (!rangeGiven)
    o.config.calib.rangeUm = static_cast<int32_t>(static_cast<long long>(o.config.pixelCount) *
                                                  o.config.calib.slopeX16384 / 16384);
  if (!o.tcp && !o.pty) o.tcp = true;
  out = o;
  return true;
}

}  // namespace bx::sim
