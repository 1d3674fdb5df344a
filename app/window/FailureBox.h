#pragma once
// The box in which the window shows every failure: the error icon, an OK
// button, the application's title as its caption, and the message with "."
// added when its last character sorts after ".".

#include "app/shared/ModalRunner.h"

#include <QString>

class QWidget;

QString FailureBoxText(const QString& message);

void ShowFailureBox(QWidget* owner, const QString& message, const ModalRunner& runModal);
