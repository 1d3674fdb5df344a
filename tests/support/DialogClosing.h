#pragma once
// Every way a user closes a dialog, each checked on screen: its own button,
// Esc, and the title bar's close.

#include <QAbstractButton>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

inline void ExpectEveryWayToClose(QDialog& dialog, const QString& buttonText)
{
    QAbstractButton* button = nullptr;
    for (QAbstractButton* candidate : dialog.findChildren<QAbstractButton*>())
        if (candidate->text() == buttonText)
            button = candidate;
    ASSERT_NE(button, nullptr) << buttonText.toStdString();
    dialog.show();
    button->click();
    EXPECT_FALSE(dialog.isVisible()) << "after " << buttonText.toStdString();
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "after Esc";
    dialog.show();
    dialog.close();
    EXPECT_FALSE(dialog.isVisible()) << "after the title bar's close";
}
