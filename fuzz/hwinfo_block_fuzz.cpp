// The hardware information block (512 bytes, order 0xC2) as the service
// snapshot takes it: fetched, dumped into the hardware info file with the
// firmware text and the parameter sections, and read back. Byte 0: bit 0
// unlocks the calibration controls, bit 1 says the records were read from
// the sensor (only then are their sections dumped: the slow part, so most
// inputs test the text and the block alone); byte 1 is the firmware text's
// length; then the text, the block (512 bytes or what there is), and the
// parameter set, teach table and unit switch.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "files/hwinfo_file.h"
#include "files/ini_document.h"
#include "files/para_file.h"
#include "panel_rig.h"
#include "params/hwinfo.h"
#include "wire/orders.h"

using bx::fuzz::check;
namespace files = bx::files;

namespace {

// A folder of its own, in memory where the system has one: the file is
// written (and synced) once per input.
const std::string& folder() {
  // Kept for the whole run: the clean-up at exit still needs the name.
  static const std::string* dir = [] {
    std::string base = "/dev/shm";
    if (::access(base.c_str(), W_OK) != 0) base = std::filesystem::temp_directory_path().string();
    auto* made = new std::string(base + "/bx-hwinfo-fuzz-XXXXXX");
    if (::mkdtemp(made->data()) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(folder(), ec);
    });
    return made;
  }();
  return *dir;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bx::fuzz::PanelRig rig;
  if (size < 2) return 0;
  rig.reset();
  auto& ctx = rig.ctx;
  const std::string path = folder() + "/" + files::kHwInfoFileName;
  ::unlink(path.c_str());

  const bool unlocked = (data[0] & 1) != 0;
  ctx.calib.locked = unlocked ? 0 : 1;
  for (size_t i = 0; i < ctx.calib.record.bytes.size(); ++i) ctx.calib.record.bytes[i] = static_cast<uint8_t>(i * 7);
  const size_t textLength = std::min<size_t>({data[1], size - 2, bx::LinkState::kFwInfoMax});
  std::memset(ctx.link.fwInfo, 0, sizeof ctx.link.fwInfo);
  std::memcpy(ctx.link.fwInfo, data + 2, textLength);
  const uint8_t* block = data + 2 + textLength;
  const size_t blockLength = std::min(size - 2 - textLength, files::kHwInfoBlockBytes);
  const size_t used = 2 + textLength + blockLength;
  const bool recordsRead = (data[0] & 2) != 0;
  if (recordsRead) rig.takeSets(data + used, size - used);
  // Records never read are left out of the file.
  check(ctx.params.setRead == recordsRead && ctx.params.teachRead == recordsRead);

  rig.reply(bx::order::kHardwareInfoFile, bx::order::kHardwareInfoFileKey, block, blockLength);
  if (blockLength == files::kHwInfoBlockBytes) rig.fe.answerFile(bx::ui::FILE_NEW, path);
  const int r = bx::GenerateHardwareInfoFile(ctx);
  // A short block is a failed transfer: nothing is written.
  if (blockLength < files::kHwInfoBlockBytes) {
    check(r == -1 && !std::filesystem::exists(path));
    return 0;
  }
  check(r == 1);

  bx::ini::Document doc;
  std::string error;
  check(bx::ini::readFile(path, doc, &error));
  // The firmware text reads back as it was, and adds no item or section.
  std::string text;
  check(doc.getString("GENERAL INFO", "FIRMWARE VERSION:", text, 4096));
  check(text == std::string(ctx.link.fwInfo));
  const bx::ini::Section* general = doc.findSection("GENERAL INFO");
  check(general != nullptr);
  for (const auto& item : general->items)
    check(item.tag.rfind("FILE TYPE:", 0) == 0 || item.tag.rfind("SCOPE VERSION:", 0) == 0 ||
          item.tag.rfind("FIRMWARE VERSION:", 0) == 0);
  for (const auto& section : doc.sections)
    check(section.name == "GENERAL INFO" || section.name == "HARDWARE INFO" ||
          (recordsRead && (section.name == "PARAMETER" || section.name.rfind("TEACH-ROW", 0) == 0)) ||
          (unlocked && section.name == "CALIBDATA"));

  // The dump gives back the block.
  std::string dump;
  check(doc.getString("HARDWARE INFO", "DATA", dump, 4096));
  check(dump.size() == 2 * files::kHwInfoBlockBytes);
  for (size_t w = 0; w < files::kHwInfoBlockBytes / 2; ++w) {
    unsigned word = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int d = hexDigit(dump[4 * w + k]);
      check(d >= 0);
      word = word << 4 | static_cast<unsigned>(d);
    }
    check(block[2 * w] == (word & 0xFF) && block[2 * w + 1] == (word >> 8));
  }

  // The parameter sections give back what the tool held (read over a copy:
  // the file names only the fields it stores).
  if (!recordsRead) return 0;
  uint8_t params[96], teach[128], calib[32];
  std::memcpy(params, ctx.params.set.data(), sizeof params);
  std::memcpy(teach, ctx.params.teach.data(), sizeof teach);
  std::memcpy(calib, ctx.calib.record.bytes.data(), sizeof calib);
  files::GetIniParaTags(doc, params, teach, calib);
  check(std::memcmp(params, ctx.params.set.data(), sizeof params) == 0);
  check(std::memcmp(teach, ctx.params.teach.data(), sizeof teach) == 0);
  if (unlocked) check(std::memcmp(calib, ctx.calib.record.bytes.data(), sizeof calib) == 0);
  return 0;
}
