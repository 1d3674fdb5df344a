#pragma once
// The look shared by the window and its boxes.

#include <QFont>
#include <QIcon>

// "宋体" where it exists, otherwise a face with Chinese glyphs; 12 pixels high.
QFont WindowFont();
// The program's icon, 32 and 16 pixels.
QIcon ApplicationIcon();
