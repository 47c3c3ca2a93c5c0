#include "identify/gate.h"

namespace bx {

GateDecision FirmwareGate(bool tarnis, int v) {
  GateDecision d;
  auto pick = [&](const char* bx, const char* tn) { return std::string(tarnis ? tn : bx); };
  if (v < 500) {
    d.refuse = true;
    d.message = pick("Incompatible hardware detected!\nPlease use Quellan-BX-Scope software version 4.x !",
                     "Incompatible hardware detected!\nPlease use Tarnis-T1-TOOL-Scope software version 4.x !");
    d.status = pick("Please use Quellan-BX-Scope Version 4.x !", "Please use Tarnis-T1-TOOL-Scope Version 4.x !");
  } else if (v <= 509) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.0 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-TOOL-Scope software version V5.0 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.0 !",
                    "Please use Tarnis-T2-TOOL-Scope software version V5.0 !");
  } else if (v == 511) {
    // Accepted silently.
  } else if (v <= 519) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.1 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.1 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.1 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.1 !");
  } else if (v <= 529) {
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.2 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.2 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.2 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.2 !");
  } else if (v <= 539) {
    d.refuse = true;
    d.message = pick("Incompatible or older firmware detected!\nPlease use Quellan-BX-Scope software version V5.3 !",
                     "Incompatible or older firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version V5.3 !");
    d.status = pick("Please use Quellan-BX-Scope software version V5.3 !",
                    "Please use Tarnis-T2-Tool-Scope software version V5.3 !");
  } else if (v == 540) {
    d.showDistancePage = false;
  } else if (v <= 550) {
    d.showDistancePage = true;
  } else {
    d.refuse = true;
    d.message = pick(
        "Incompatible or newer firmware detected!\nPlease use Quellan-BX-Scope software version newer than V5.5 !",
        "Incompatible or newer firmware detected!\nPlease use Tarnis-T2-Tool-Scope software version newer than V5.5 !");
    d.status = pick("Please use Quellan-BX-Scope software newer than V5.5 !",
                    "Please use Tarnis-T2-Tool-Scope software newer than V5.5 !");
  }
  return d;
}

}  // namespace bx
