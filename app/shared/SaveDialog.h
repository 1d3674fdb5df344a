#pragma once
// The save dialog: image files ("*.bmp"), no default extension, no question
// before replacing a file. It starts with the name confirmed last time, or
// the first time with the name suggested.

#include "app/shared/ModalRunner.h"

#include <QFileDialog>

#include <optional>

class SaveDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit SaveDialog(QWidget* parent);

    // Shows the dialog and gives the name to write: the confirmed name with
    // ".bmp" for its extension. None when the user cancelled, or declined to
    // replace an existing file of that other name, which the dialog never
    // showed.
    std::optional<QString> askForBmpName(const ModalRunner& runModal, const QString& suggested);

private:
    bool askToReplace(const QString& path, const ModalRunner& runModal);

    QString fileName_;
};
