#include "app/following/StartClientDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

StartClientDialog::StartClientDialog(QWidget* parent)
    : QDialog(parent), programEdit_(new QLineEdit(this)), argumentsEdit_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("startClientDialog"));
    setWindowTitle(tr("Start a Game Client"));
    programEdit_->setObjectName(QStringLiteral("clientProgram"));
    argumentsEdit_->setObjectName(QStringLiteral("clientArguments"));
    programEdit_->setMinimumWidth(320);
    auto* browseButton = new QPushButton(tr("Browse..."), this);
    auto* programRow = new QHBoxLayout;
    programRow->addWidget(programEdit_, 1);
    programRow->addWidget(browseButton);

    auto* explanation = new QLabel(tr("The client runs as a program started by the viewer, which may then read its "
                                      "memory where the system allows that only for programs one started. A "
                                      "Windows program (.exe) runs through Wine on Linux."),
                                   this);
    explanation->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Start"));
    auto* form = new QFormLayout(this);
    form->addRow(explanation);
    form->addRow(tr("Program:"), programRow);
    form->addRow(tr("Arguments:"), argumentsEdit_);
    form->addRow(buttons);

    connect(browseButton, &QPushButton::clicked, this, &StartClientDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!program().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString StartClientDialog::program() const
{
    return programEdit_->text().trimmed();
}

QStringList StartClientDialog::arguments() const
{
    return QProcess::splitCommand(argumentsEdit_->text());
}

void StartClientDialog::setProgram(const QString& program)
{
    programEdit_->setText(program);
}

void StartClientDialog::setArguments(const QString& arguments)
{
    argumentsEdit_->setText(arguments);
}

void StartClientDialog::browse()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Game Client"), program());
    if (!chosen.isEmpty())
        programEdit_->setText(chosen);
}
