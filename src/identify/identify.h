#pragma once
// Identification: the family and firmware-version gate, the hardware
// record and the model configuration.
#include <cstdint>
#include <string>

namespace bx {
struct Context;

// Second stage of bring-up, after the firmware text has arrived.
int IdentifySensor(Context& ctx);
int GetHARDWAREInfo(Context& ctx);
// 1 dims SEND, GET and RUN and colours the status texts red; 0 the reverse.
void DimmButtons(Context& ctx, unsigned dim);

// Applies the catalogue entry of the hardware record to the tool.
void ConfigureModel(Context& ctx);
// Re-derives the working range of the models whose range comes from the
// calibration record, from the record in memory.
void ApplyCalibrationRange(Context& ctx);
// Applies a model's defaults (calibration page values, evaluation range,
// set-point, tolerances, information box).
void selectHARDWARE(Context& ctx, unsigned hwType, int boardCode);
// Writes the model-dependent texts (info box, choice lists) in the language
// in force.
void ApplyModelTexts(Context& ctx);
// After a successful connect: model-dependent controls set up again.
void RebuildModelUi(Context& ctx);
// The distance-calibration page (third page of the calibration tab).
void SetDistanceCalibPageVisible(Context& ctx, bool visible);

// The family/version decision, free of the user interface, for tests.
struct GateDecision {
  bool refuse = false;
  bool showDistancePage = true;
  std::string message;  // empty: no message
  std::string status;
};
GateDecision FirmwareGate(bool tarnis, int version);

}  // namespace bx
