#pragma once
// Panels and the menu bar of the model.
#include <string>
#include <vector>

#include "ui/control.h"

namespace bx::ui {

struct Panel {
  std::string name;
  int resourceId = 0;
  std::string title;
  // Shown after the title (" - " between), empty for none.
  std::string titleNote;
  int parent = -1;       // parent panel handle, -1 top level
  int tabOwner = -1;     // panel handle of the tab control's panel when this is a tab page
  int tabControl = -1;
  int tabIndex = -1;
  bool visible = false;
  int gridRows = 1, gridCols = 1;
  int left = 0, top = 0, width = 1000, height = 680;
  bool maximized = false;
  // A pop-up: shown over everything, gone on Escape or a click elsewhere
  // (the panel's callback hears that as a close).
  bool popup = false;
  std::string callbackName;
  Callback callback = nullptr;
  std::vector<Control> controls;
  uint64_t revision = 1;
};

struct MenuItem {
  std::string name;
  std::string label;
  std::string callbackName;
  Callback callback = nullptr;
  bool separator = false;
  bool checked = false;
  bool dimmed = false;
  std::string shortcut;  // key sequence such as "Ctrl+O", empty for none
};

struct Menu {
  std::string name;
  std::string label;
  std::vector<MenuItem> items;
};

struct MenuBar {
  std::vector<Menu> menus;
  uint64_t revision = 1;
};

}  // namespace bx::ui
