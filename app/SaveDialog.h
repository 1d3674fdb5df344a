#pragma once
// The save dialog: image files ("*.bmp"), no default extension, no question
// before replacing a file. It starts with the name confirmed last time.

#include <QFileDialog>

#include <functional>

// Runs a modal dialog or box and tells whether it was accepted; tests answer
// in place of the user.
using ModalRunner = std::function<bool(QDialog&)>;

class SaveDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit SaveDialog(QWidget* parent);

    // Shows the dialog; true when the user confirmed a name, then fileName().
    bool execute(const ModalRunner& runModal);
    const QString& fileName() const { return fileName_; }

private:
    QString fileName_;
};
