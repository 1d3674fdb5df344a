#include "SaveDialog.h"

SaveDialog::SaveDialog(QWidget* parent) : QFileDialog(parent)
{
    setObjectName(QStringLiteral("dlgSave1"));
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(QStringLiteral("图象文件 (*.bmp)"));
    setOption(QFileDialog::HideNameFilterDetails);
    setOption(QFileDialog::DontConfirmOverwrite);
    setSizeGripEnabled(true);
}

bool SaveDialog::execute(const ModalRunner& runModal)
{
    selectFile(fileName_);
    if (!runModal(*this) || selectedFiles().value(0).isEmpty())
        return false;
    fileName_ = selectedFiles().value(0);
    return true;
}
