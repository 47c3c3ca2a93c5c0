#pragma once
// A way back from a calibration write: before the record or the lookup
// table is written, the sensor's record is read and saved in a file of its
// own (calib-SN<serial>-<date>-<time>.bxcal in the backup folder), which
// "Restore calibration ..." can write back later.
#include <ctime>
#include <string>
#include <vector>

#include "wire/calib_record.h"

namespace bx {
struct Context;

struct CalibBackup {
  std::string path;
  std::string time;   // "YYYY-MM-DD HH:MM:SS", local
  int serial = 0;     // of the sensor it was read from
  CalibRecord record;
};

// The file's text and its reading. Parse: false with the reason for
// anything that is not such a file (the record must be whole).
std::string CalibBackupText(const CalibBackup& b);
bool ParseCalibBackup(const std::string& text, CalibBackup& out, std::string& why);
// The file name for a sensor and a moment (local time).
std::string CalibBackupName(int serial, std::time_t when);
// The backups in dir for a sensor's serial number, newest first; files
// that cannot be read are left out.
std::vector<CalibBackup> ListCalibBackups(const std::string& dir, int serial);
// One line for the operator's choice: time, slope, offset and range.
std::string CalibBackupLabel(const CalibBackup& b);

// Reads the sensor's record and saves it in ctx.calib.backupDir (the
// caller holds the link). 1 saved, 0 no backup folder set (nothing done),
// -1 the read or the file failed (the status line says which).
int BackupCalibRecord(Context& ctx);
// The backup a write sequence owes (ctx.calib.backupDue, set when it was
// requested): taken before its first write. False when it failed: the
// write must not go on (status shown, the sequence's requests dropped).
bool TakeDueCalibBackup(Context& ctx);

}  // namespace bx
