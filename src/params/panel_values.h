#pragma once
// Moving values between the parameter records and the editing controls.
namespace bx {
struct Context;

// Sanitises the parameter set and shows every field.
void SetPanelValues(Context& ctx);
// Collects the edited values into the parameter set and teach table.
void GetPanelValues(Context& ctx);
// Shows the measurement page with the video graph.
void ShowVideoView(Context& ctx);

}  // namespace bx
