#include "AboutBox.h"

#include <QMessageBox>

void ShowAboutBox(QWidget* owner, const QString& applicationText, const QString& credit,
                  const std::function<void(QMessageBox&)>& execMessageBox)
{
    QMessageBox box(QMessageBox::NoIcon, applicationText, applicationText + QLatin1Char('\n') + credit, QMessageBox::Ok,
                    owner);
    box.setIconPixmap(owner->windowIcon().pixmap(32, 32));
    execMessageBox(box);
}
