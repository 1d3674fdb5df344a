#pragma once
// The About box: the system's own where there is one (Windows), otherwise a
// modal message box owned by the window. One implementation per platform.

#include <functional>

class QMessageBox;
class QString;
class QWidget;

// Shows the application text, the credit line and the owner's window icon,
// and returns when the user closes the box. A box that Qt draws is run by
// execMessageBox.
void ShowAboutBox(QWidget* owner, const QString& applicationText, const QString& credit,
                  const std::function<void(QMessageBox&)>& execMessageBox);
