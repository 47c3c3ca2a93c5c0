#pragma once
// Loads the panel resource: a declarative text file of panels, controls and
// menus. Layout is a grid per panel; nothing needs per-panel code.
//
//   panel NAME [id=N] [title="..."] [grid=RxC] [size=WxH] [parent=NAME] [cb=NAME]
//   <kind> NAME [at=r,c[,rs,cs]] [label="..."] [cb=NAME] [key=value ...]
//   menu NAME label="..."
//   item NAME [label="..."] [cb=NAME] [separator=1] [checked=1] [dimmed=1]
//   include FILE
//
// Lines starting with '#' are comments. Values may be quoted; inside quotes
// \n, \t, \" and \\ are escapes.
#include <string>

#include "ui/ui.h"

namespace bx::ui {

// Parses resource text into the model. On failure returns false and says
// why (with the line number) in error; the model is then left empty.
// "include FILE" lines read FILE from baseDir in place.
bool loadResourceText(Ui& ui, const std::string& text, std::string& error, const std::string& baseDir = ".");
bool loadResourceFile(Ui& ui, const std::string& path, std::string& error);

}  // namespace bx::ui
