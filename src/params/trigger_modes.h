#pragma once
// The trigger modes as the parameter set's Int.Trigger-Mode and
// Ext.Trigger-Mode fields hold them.
namespace bx {

enum IntTriggerMode : int {
  INT_TRIGGER_OFF = 0,
  INT_TRIGGER_DARK_PIXEL = 1,
  INT_TRIGGER_LIGHT_PIXEL = 2,
  INT_TRIGGER_POSITIVE_EDGE = 3,  // low-to-high edge at the trigger pixel
  INT_TRIGGER_NEGATIVE_EDGE = 4,  // high-to-low edge at the trigger pixel
};

// The modes of the external input IN0 (Ext.Trigger-Mode) that select the
// program: by IN0 between programs 1 and 2, or 1 to 4.
enum ExtTriggerMode : int {
  EXT_TRIGGER_SELECT_PROG2 = 3,
  EXT_TRIGGER_SELECT_PROG4 = 4,
};

// The edge triggers fix edge B and the search direction, and count events.
inline constexpr bool IsEdgeTrigger(int mode) {
  return mode == INT_TRIGGER_POSITIVE_EDGE || mode == INT_TRIGGER_NEGATIVE_EDGE;
}

// The sensor picks the program from its input: the live record's program
// number counts, not the parameter set's.
inline constexpr bool ProgramFromInput(int extMode) {
  return extMode == EXT_TRIGGER_SELECT_PROG2 || extMode == EXT_TRIGGER_SELECT_PROG4;
}

}  // namespace bx
