#pragma once
// The calibration data file: a "[HEADER]" section of twelve "label TAB
// value" lines that fill the calibration record, then an "[XFLASH]" section
// with the bytes of the lookup table, separated by white space or commas.
#include <string>
#include <string_view>

namespace bx {
struct CalibState;

// Header sizes of the lookup table that are taken as they are; any other
// announces a 1024-byte table.
unsigned LookupBytesForXfSize(unsigned xfSize);

// Parses the file's text into the state. 1 on success: record fields,
// lookup buffer (the rest of it zero) and area flag set. 0 on failure with
// the reason in `why`: a wrong first line, a header value that is not a
// number or one its field cannot hold (the latter also kept in parts in
// calib.fileRefusal) change nothing; without the "[XFLASH]" line or with fewer byte
// values than announced the header values stay in the record, the lookup
// buffer is left as it was.
int ParseCalibrationData(std::string_view text, CalibState& calib, std::string& why);
// Reads and parses the file at path; also clears the loaded flag and the
// area flag first, and sets the flag on success.
int ReadCalibrationDataFromFile(const std::string& path, CalibState& calib, std::string& why);

}  // namespace bx
