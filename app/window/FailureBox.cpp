#include "app/window/FailureBox.h"

#include "app/shared/WindowStyle.h"

#include <QMessageBox>

QString FailureBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowFailureBox(QWidget* owner, const QString& message, const ModalRunner& runModal)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), FailureBoxText(message),
                    QMessageBox::Ok, owner);
    runModal(box);
}
