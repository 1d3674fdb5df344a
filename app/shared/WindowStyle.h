#pragma once
// The look shared by the window and its boxes.

#include <QFont>
#include <QIcon>

// The application's title: the window's caption, and the failure box's;
// "Tarvex1.8地图查看器" in Chinese.
QString ApplicationTitle();
// The About box's first line: the title with "！" in Chinese.
QString AboutTitle();
QString AboutCredit();

// "宋体" where it exists, otherwise a face with Chinese glyphs; 12 pixels high.
QFont WindowFont();
// The program's icon, 32 and 16 pixels.
QIcon ApplicationIcon();
// One of the window's icons, by the name of its file in app/icons without
// ".png" ("zoom-in").
QIcon IconNamed(const char* name);
