// Reading INI files of growing size, as the parameter file reader does
// (read, parse, look up every item): the time per byte must stay flat up to
// the 16 MiB cap, whatever the file's shape. (Section headers used to be
// looked up one by one among the sections already read: 15 MiB of headers
// took about 14 s.) Below 4 MiB the file and its document fit the caches,
// so the time per byte is compared from 4 MiB on.
//   - headers:    section headers only, cycling over the 1000 allowed names
//   - items:      one section of long items, up to the item cap
//   - mixed:      the parameter file's own sections repeated, with comments
//   - long lines: lines over the line limit, which are skipped
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "files/para_file.h"

namespace {

using Maker = std::function<std::string(size_t)>;

std::string repeatTo(size_t bytes, const std::function<std::string(size_t)>& line) {
  std::string out;
  out.reserve(bytes + 256);
  for (size_t i = 0; out.size() < bytes; ++i) out += line(i);
  return out;
}

std::string headers(size_t bytes) {
  return repeatTo(bytes, [](size_t i) { return "[SECTION " + std::to_string(i % 1000) + "]\r\n"; });
}

std::string items(size_t bytes) {
  // Long enough that the item cap is not reached below 16 MiB.
  const std::string value(160, 'v');
  return "[PARAMETER]\r\n" +
         repeatTo(bytes, [&](size_t i) { return "Item-" + std::to_string(i) + " = \"" + value + "\"\r\n"; });
}

std::string mixed(size_t bytes) {
  static const char* kSections[] = {"PARAMETER", "TEACH-ROW0", "TEACH-ROW1", "TEACH-ROW2", "TEACH-ROW3", "CALIBDATA"};
  return repeatTo(bytes, [](size_t i) {
    // A long comment per block keeps the item count below its cap.
    std::string block = "; block " + std::to_string(i) + std::string(6000, '.') + "\r\n[" + kSections[i % 6] + "]\r\n";
    for (int k = 0; k < 30; ++k) block += "Tag-" + std::to_string(k) + " = " + std::to_string(i * 31 + k) + "\r\n";
    return block + "\r\n";
  });
}

std::string longLines(size_t bytes) {
  const std::string line = "[PARAMETER]\r\nPower = " + std::string(70 * 1024, '7') + "\r\n";
  return repeatTo(bytes, [&](size_t) { return line; });
}

double secondsToRead(const std::string& path) {
  uint8_t params[bx::files::kParamBytes] = {}, teach[bx::files::kTeachBytes] = {},
          calib[bx::files::kCalibBytes] = {};
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  bx::files::ReadParaFromIniFile(params, teach, calib, path, &error);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  char dir[] = "/tmp/bench-ini-XXXXXX";
  if (!::mkdtemp(dir)) return 1;
  const std::string path = std::string(dir) + "/p.ini";
  const struct {
    const char* name;
    Maker make;
  } shapes[] = {{"headers", headers}, {"items", items}, {"mixed", mixed}, {"long lines", longLines}};
  const size_t mib = 1024 * 1024;

  std::printf("%-11s %8s %10s %10s\n", "shape", "MiB", "ms", "ns/byte");
  bool flat = true;
  for (const auto& shape : shapes) {
    double reference = 0;
    for (size_t size : {1 * mib, 4 * mib, 8 * mib, 15 * mib}) {
      const std::string text = shape.make(size);
      std::string error;
      if (!bx::writeFileAtomic(path, text, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
      double best = 1e9;
      for (int run = 0; run < 3; ++run) best = std::min(best, secondsToRead(path));
      const double perByte = best * 1e9 / static_cast<double>(text.size());
      if (size == 4 * mib) reference = perByte;
      // Linear within measuring noise on a shared machine.
      if (size > 4 * mib && perByte > 3 * reference) flat = false;
      std::printf("%-11s %8.1f %10.1f %10.2f\n", shape.name, static_cast<double>(text.size()) / static_cast<double>(mib),
                  best * 1e3, perByte);
    }
  }
  ::unlink(path.c_str());
  ::rmdir(dir);
  std::printf("time per byte %s\n", flat ? "flat: linear in the file size" : "GROWS: not linear");
  return flat ? 0 : 1;
}
