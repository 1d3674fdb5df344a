#include "app/shared/SaveDialog.h"

#include "qtfiles/BitmapFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

SaveDialog::SaveDialog(QWidget* parent) : QFileDialog(parent)
{
    setObjectName(QStringLiteral("dlgSave1"));
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(tr("Image files") + QStringLiteral(" (*.bmp)"));
    setOption(QFileDialog::HideNameFilterDetails);
    setOption(QFileDialog::DontConfirmOverwrite);
    setSizeGripEnabled(true);
}

std::optional<QString> SaveDialog::askForBmpName(const ModalRunner& runModal, const QString& suggested)
{
    selectFile(fileName_.isEmpty() ? suggested : fileName_);
    if (!runModal(*this) || selectedFiles().value(0).isEmpty())
        return std::nullopt;
    fileName_ = selectedFiles().value(0);
    const QString bmpName = WithBmpExtension(fileName_);
    if (bmpName != fileName_ && QFileInfo::exists(bmpName) && !askToReplace(bmpName, runModal))
        return std::nullopt;
    return bmpName;
}

bool SaveDialog::askToReplace(const QString& path, const ModalRunner& runModal)
{
    QMessageBox box(QMessageBox::Question, parentWidget()->windowTitle(),
                    tr("\"%1\" already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path)),
                    QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setDefaultButton(QMessageBox::No);
    runModal(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}
