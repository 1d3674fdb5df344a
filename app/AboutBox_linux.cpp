#include "app/AboutBox.h"

#include "app/WindowStyle.h"

#include <QMessageBox>

void ShowAboutBox(QWidget* owner, const ModalRunner& runModal)
{
    const QString text = QStringLiteral("%1！").arg(QString::fromUtf8(kApplicationTitle));
    QMessageBox box(QMessageBox::NoIcon, text, text + QLatin1Char('\n') + QString::fromUtf8(kAboutCredit),
                    QMessageBox::Ok, owner);
    box.setIconPixmap(owner->windowIcon().pixmap(32, 32));
    runModal(box);
}
