#include "TSaveDialog.h"

TSaveDialog::TSaveDialog(QWidget* parent)
    : QFileDialog(parent), RunModal([](TSaveDialog& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(QStringLiteral("图象文件 (*.bmp)"));
    setOption(QFileDialog::HideNameFilterDetails);
    setOption(QFileDialog::DontConfirmOverwrite);
    setSizeGripEnabled(true);
}

bool TSaveDialog::Execute()
{
    selectFile(fileName_);
    if (!RunModal(*this) || selectedFiles().value(0).isEmpty())
        return false;
    fileName_ = selectedFiles().value(0);
    return true;
}
