#pragma once
// The toolbar strip: the command buttons at their fixed places with the
// separators between them, then the address box and the tracking check box.
// Each button shows its command's action under its own caption: the icon,
// and the command's name and shortcut in the tooltip.

#include <QFrame>

class QAction;
class QCheckBox;
class QLineEdit;

// The command's name as its tooltip and the help tell it: "Save..." is "Save".
QString CommandName(const QAction& command);

struct ToolBarCommands {
    QAction* processList;
    QAction* zoomIn;
    QAction* zoomOut;
    QAction* naturalSize;
    QAction* save;
    QAction* about;
    QAction* exit;
};

class MainToolBar : public QFrame {
    Q_OBJECT
public:
    MainToolBar(const ToolBarCommands& commands, QWidget* parent);

    // The tracking box's tooltip: why the position cannot be read, or nothing.
    void setTrackingNote(const QString& note);
    // As the user would: types the address into the box and ticks the
    // tracking box when it is not ticked.
    void useAddress(const QString& address);
    QString addressText() const;
    // An entry of the address box's context menu, after the editing ones.
    void addAddressMenuCommand(QAction* command);

signals:
    void addressTextChanged(const QString& text);
    // The user clicked the tracking check box; ticked is its new state.
    void trackingClicked(bool ticked);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void addButton(const char* name, int left, const char* caption, QAction* command);
    void addSeparator(const char* name, int left, bool grooved);

    QLineEdit* addressEdit_;
    QCheckBox* trackingBox_;
    QList<QAction*> addressMenuCommands_;
};

// The 8-pixel gap between buttons; a grooved one draws an etched line.
class ToolBarSeparator : public QWidget {
    Q_OBJECT
public:
    ToolBarSeparator(bool grooved, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool grooved_;
};
