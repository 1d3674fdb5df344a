#pragma once
// The About box: the application text "Tarvex1.8地图查看器！", the credit line
// and the owner's window icon; the system's own box where there is one
// (Windows), otherwise a modal message box owned by the window, run by
// runModal. One implementation per platform.

#include "app/shared/ModalRunner.h"

class QWidget;

void ShowAboutBox(QWidget* owner, const ModalRunner& runModal);
