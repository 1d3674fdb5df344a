#pragma once
// Asks for the game client to start: its program file and its arguments,
// written as on a command line (quotes group words). Keeps both for the next
// time while the viewer runs.

#include <QDialog>

#include <QStringList>

class QLineEdit;

class StartClientDialog : public QDialog {
    Q_OBJECT
public:
    explicit StartClientDialog(QWidget* parent);

    QString program() const;
    QStringList arguments() const;
    void setProgram(const QString& program);
    void setArguments(const QString& arguments);

private:
    void browse();

    QLineEdit* programEdit_;
    QLineEdit* argumentsEdit_;
};
