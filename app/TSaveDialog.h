#pragma once
// The save dialog: image files ("*.bmp"), no default extension, no question
// before replacing a file. It starts with the name confirmed last time.

#include <QFileDialog>

#include <functional>

class TSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TSaveDialog(QWidget* parent);

    // Shows the dialog; on OK, FileName() is the name the user confirmed.
    bool Execute();
    const QString& FileName() const { return fileName_; }

    // Runs the dialog modally; tests replace it to answer without a modal loop.
    std::function<bool(TSaveDialog&)> RunModal;

private:
    QString fileName_;
};
