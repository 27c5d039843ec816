#pragma once

#include <QIcon>

namespace reports {

enum class ToolGlyph { New, Open, Save, Print, Cut, Copy, Paste, Undo, Font, Edit, Build };

// The glyph of a toolbar button: the desktop theme's icon when it has one, else a glyph drawn
// here, so a button never shows blank.
QIcon ToolIcon(ToolGlyph glyph);

}  // namespace reports
