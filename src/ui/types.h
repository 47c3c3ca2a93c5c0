#pragma once
// Basic types of the headless panel and control model.
#include <cstdint>
#include <string>

namespace bx {
struct Context;
}

namespace bx::ui {

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Color&) const = default;
};
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kRed{255, 0, 0};
inline constexpr Color kGreen{0, 255, 0};
inline constexpr Color kDarkGreen{0, 128, 0};
inline constexpr Color kGrey{192, 192, 192};
inline constexpr Color kBlue{0, 0, 255};
inline constexpr Color kYellow{255, 255, 0};

// Event codes delivered to callbacks; the numbers are the product's own.
enum Event : int {
  EVENT_NONE = 0,
  EVENT_COMMIT = 1,
  EVENT_VAL_CHANGED = 2,
  EVENT_LEFT_CLICK = 3,
  EVENT_LEFT_DOUBLE_CLICK = 4,
  EVENT_RIGHT_CLICK = 5,
  EVENT_RIGHT_DOUBLE_CLICK = 6,
  EVENT_KEYPRESS = 7,
  EVENT_GOT_FOCUS = 8,
  EVENT_LOST_FOCUS = 9,
  EVENT_CLOSE = 11,
  EVENT_PANEL_SIZE = 12,
  EVENT_ACTIVE_TAB_CHANGE = 13,
};

enum class Kind : uint8_t {
  Button,    // command button; press 3, release 1
  Numeric,   // numeric entry or display
  Ring,      // drop-down choice with item labels and values
  Combo,     // editable text with a list of recent entries
  String,    // one-line text entry
  Text,      // read-only text message (label, status)
  TextBox,   // multi-line text, appended to
  Toggle,    // toggle button (0/1)
  Switch,    // binary switch (0/1)
  Check,     // check box (0/1)
  Radio,     // radio group: value is the chosen item's value
  Led,       // lamp (0/1, on colour)
  Slider,    // numeric slider
  Table,     // table of cells
  Graph,     // x/y graph with plots and cursors
  Strip,     // strip chart
  Tab,       // tab control; its pages are panels
  Picture,   // image (file name in text)
};

const char* kindName(Kind k);
bool kindFromName(const std::string& name, Kind& out);

struct CtlRef {
  int panel = -1;
  int control = -1;
  bool valid() const { return panel >= 0 && control >= 0; }
  bool operator==(const CtlRef&) const = default;
};

struct EventArgs {
  int panel = -1;
  int control = -1;  // control index, or menu item index for menu callbacks
  int event = EVENT_NONE;
  int data1 = 0;
  int data2 = 0;
};

// Callbacks are plain functions over the one application context.
using Callback = int (*)(Context& ctx, const EventArgs& ev);

}  // namespace bx::ui
