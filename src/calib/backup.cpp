#include "calib/backup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "calib/xflash_record.h"
#include "context/context.h"
#include "files/atomic_file.h"
#include "link/report.h"

namespace bx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "[CALIBRATION-BACKUP]";
constexpr const char* kExtension = ".bxcal";
// A backup is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxBackupBytes = 4096;

std::string prefixFor(int serial) { return "calib-SN" + std::to_string(serial) + "-"; }

std::string hex(const CalibRecord& r) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (uint8_t b : r.bytes) {
    s += d[b >> 4];
    s += d[b & 15];
  }
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::string localText(std::time_t when, const char* format) {
  char buf[32] = {};
  if (const std::tm* tm = std::localtime(&when)) std::strftime(buf, sizeof buf, format, tm);
  return buf;
}

}  // namespace

std::string CalibBackupText(const CalibBackup& b) {
  char slope[48];
  std::snprintf(slope, sizeof slope, "%.5f", calib::slopeFromFixed(calib::slopeX16384(b.record)));
  std::string t = std::string(kSection) + "\n";
  t += "TIME = " + b.time + "\n";
  t += "SENSOR-SER-NO = " + std::to_string(b.serial) + "\n";
  // For the reader; the record line alone is restored.
  t += "HW-TYPE = " + std::to_string(calib::hwType(b.record)) + "\n";
  t += "SER-NO = " + std::to_string(calib::serial(b.record)) + "\n";
  t += "SLOPE [um/pixel] = " + std::string(slope) + "\n";
  t += "UM-OFFSET = " + std::to_string(calib::offsetUm(b.record)) + "\n";
  t += "UM-RANGE = " + std::to_string(calib::rangeUm(b.record)) + "\n";
  t += "RECORD = " + hex(b.record) + "\n";
  return t;
}

bool ParseCalibBackup(const std::string& text, CalibBackup& out, std::string& why) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || trim(line) != kSection) {
    why = "not a calibration backup";
    return false;
  }
  CalibBackup b;
  bool haveRecord = false, haveSerial = false;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
    if (key == "TIME") {
      b.time = value;
    } else if (key == "SENSOR-SER-NO") {
      char* end = nullptr;
      const long v = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || v < -32768 || v > 65535) {
        why = "bad serial number";
        return false;
      }
      b.serial = static_cast<int>(v);
      haveSerial = true;
    } else if (key == "RECORD") {
      if (value.size() != 2 * CalibRecord::kSize) {
        why = "the record is not whole";
        return false;
      }
      for (size_t i = 0; i < CalibRecord::kSize; ++i) {
        const int hi = hexDigit(value[2 * i]), lo = hexDigit(value[2 * i + 1]);
        if (hi < 0 || lo < 0) {
          why = "the record is not whole";
          return false;
        }
        b.record.bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
      }
      haveRecord = true;
    }
  }
  if (!haveRecord || !haveSerial) {
    why = haveRecord ? "no serial number" : "no record";
    return false;
  }
  out = b;
  return true;
}

std::string CalibBackupName(int serial, std::time_t when) {
  return prefixFor(serial) + localText(when, "%Y%m%d-%H%M%S") + kExtension;
}

std::vector<CalibBackup> ListCalibBackups(const std::string& dir, int serial) {
  std::vector<CalibBackup> found;
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec)) return found;
  const std::string prefix = prefixFor(serial);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0 || it->path().extension() != kExtension) continue;
    std::string text, why;
    CalibBackup b;
    if (!readWholeFile(it->path().string(), text, kMaxBackupBytes, &why) || !ParseCalibBackup(text, b, why)) continue;
    if (b.serial != serial) continue;
    b.path = it->path().string();
    found.push_back(b);
  }
  // Newest first: by the time in the name, then by the number a second
  // backup within the same second got.
  auto key = [&](const CalibBackup& b) {
    std::string stem = fs::path(b.path).stem().string().substr(prefix.size());
    int n = 1;
    if (const size_t dash = stem.find('-', 9); dash != std::string::npos) {
      n = std::atoi(stem.c_str() + dash + 1);
      stem.resize(dash);
    }
    return std::make_pair(stem, n);
  };
  std::sort(found.begin(), found.end(), [&](const CalibBackup& a, const CalibBackup& b) { return key(a) > key(b); });
  return found;
}

std::string CalibBackupLabel(const CalibBackup& b) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s   SLOPE %.5f µm/pixel   OFFSET %d µm   RANGE %d µm", b.time.c_str(),
                calib::slopeFromFixed(calib::slopeX16384(b.record)), static_cast<int>(calib::offsetUm(b.record)),
                static_cast<int>(calib::rangeUm(b.record)));
  return buf;
}

int BackupCalibRecord(Context& ctx) {
  const std::string& dir = ctx.calib.backupDir;
  if (dir.empty()) return 0;
  CalibBackup b;
  if (ReadCalibDataFromXF(ctx, b.record.bytes.data(), CalibRecord::kSize) != 1) {
    ShowStatusText(ctx, Localized(ctx, "Calibration backup failed: %1 - nothing written!", {ctx.status}));
    return -1;
  }
  ctx.calib.sensorRecord = b.record;
  ctx.calib.sensorRecordKnown = true;
  const std::time_t now = std::time(nullptr);
  b.serial = ctx.ident.hw.serial;
  b.time = localText(now, "%Y-%m-%d %H:%M:%S");
  std::error_code ec;
  fs::create_directories(dir, ec);
  // Two writes within one second keep both backups.
  std::string name = CalibBackupName(b.serial, now);
  std::string path = dir + "/" + name;
  for (int n = 2; fs::exists(fs::symlink_status(path, ec)) && n < 100; ++n)
    path = dir + "/" + name.substr(0, name.size() - std::string(kExtension).size()) + "-" + std::to_string(n) +
           kExtension;
  std::string why;
  if (ec && !fs::is_directory(dir)) why = dir + ": " + ec.message();
  if (!why.empty() || !writeFileAtomic(path, CalibBackupText(b), &why)) {
    ShowStatusText(ctx, Localized(ctx, "Calibration backup failed: %1 - nothing written!", {why}));
    return -1;
  }
  ShowStatusText(ctx, Localized(ctx, "Calibration saved to %1", {path}));
  return 1;
}

bool TakeDueCalibBackup(Context& ctx) {
  if (!ctx.calib.backupDue) return true;
  ctx.calib.backupDue = false;
  if (BackupCalibRecord(ctx) >= 0) return true;
  // Nothing of the sequence goes out without its way back.
  for (PendingRequest r : {PENDING_WRITE_CALIB, PENDING_SAVE_CALIB, PENDING_WRITE_LOOKUP})
    ctx.run.pending.set(r, false);
  ctx.ui.message(Localized(ctx, "A T T E N T I O N !"), ctx.status);
  return false;
}

}  // namespace bx
