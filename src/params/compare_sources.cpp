// The sides of a comparison fetched for the desktop window and the command
// line alike.
#include <cstring>

#include "context/context.h"
#include "link/exchange.h"
#include "link/report.h"
#include "params/compare.h"
#include "params/units.h"
#include "wire/calib_record.h"
#include "wire/orders.h"

namespace bx::param {
namespace {

bool fetch(Context& ctx, int order, int parameter, uint8_t* dest, unsigned size) {
  if (Exchange(ctx, order, parameter) != 1 || ReplyLength(ctx) < size) return false;
  std::memcpy(dest, ReplyData(ctx), size);
  return true;
}

}  // namespace

SideResult LoadCompareSide(Context& ctx, int source, const std::string& path, CompareSide& out, std::string* shown) {
  out = CompareSide{};
  if (source == SRC_FILE) {
    std::string why;
    const char* text = nullptr;
    switch (ReadCompareFile(path, out, why)) {
      case FileVerdict::Read:
        return SideResult::Read;
      case FileVerdict::Damaged:
        text = "Parameter file damaged: %1";
        break;
      case FileVerdict::NotAParameterFile:
        text = "Not a parameter file of this sensor family: %1";
        break;
      case FileVerdict::Unreadable:
        text = "Parameter file not readable: %1";
        break;
    }
    ctx.status = std::string(text).replace(std::string(text).find("%1"), 2, why);
    if (shown) *shown = Localized(ctx, text, {why});
    return SideResult::FileRefused;
  }
  if (source == SRC_DEFAULTS) {
    out = DefaultsSide(ctx.ident.hw.hwType, PixelCount(ctx), calib::hwType(ctx.calib.record));
    return SideResult::Read;
  }
  const int order = source == SRC_EEPROM ? order::kReadEeprom : order::kReadRam;
  if (!fetch(ctx, order, 0, out.set.data(), kSetSize)) {
    ctx.status = FailureText(ctx, "Timeout-RS-232...");
    if (shown) *shown = Localized(ctx, ctx.status);
    return SideResult::LinkFailed;
  }
  if (!fetch(ctx, order, 1, out.teach.data(), kTeachSize)) {
    ctx.status = FailureText(ctx, "Timeout-RS-232 table ...");
    if (shown) *shown = Localized(ctx, ctx.status);
    return SideResult::LinkFailed;
  }
  out.holdAll();
  return SideResult::Read;
}

}  // namespace bx::param
