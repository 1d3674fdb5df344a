#pragma once
// The look shared by the window and its boxes.

#include <QFont>
#include <QIcon>

// The application's title: the window's caption, and the failure box's.
inline constexpr char kApplicationTitle[] = "Tarvex1.8地图查看器";
inline constexpr char kAboutCredit[] = "由玩家为玩家制作的地图查看器。";

// "宋体" where it exists, otherwise a face with Chinese glyphs; 12 pixels high.
QFont WindowFont();
// The program's icon, 32 and 16 pixels.
QIcon ApplicationIcon();
// One of the window's icons, by the name of its file in app/icons without
// ".png" ("zoom-in").
QIcon IconNamed(const char* name);
