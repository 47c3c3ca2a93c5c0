#pragma once
// The tool configured for the identified model: catalogue entry, working
// range, sample tables, choice lists and the model's default parameters.
namespace bx {
struct Context;

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

}  // namespace bx
