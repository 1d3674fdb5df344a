#include "app/window/AboutBox.h"

#include "app/shared/WindowStyle.h"

#include <QMessageBox>

void ShowAboutBox(QWidget* owner, const ModalRunner& runModal)
{
    const QString text = AboutTitle();
    QMessageBox box(QMessageBox::NoIcon, text, text + QLatin1Char('\n') + AboutCredit(),
                    QMessageBox::Ok, owner);
    box.setIconPixmap(owner->windowIcon().pixmap(32, 32));
    runModal(box);
}
