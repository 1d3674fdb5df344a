#pragma once
// The toolbar strip with a grooved line along its top edge, and the 8-pixel
// separators between its buttons (grooved ones draw an etched line).

#include <QFrame>

class TToolbar : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TSpacer : public QWidget {
    Q_OBJECT
public:
    TSpacer(bool grooved, QWidget* parent);

    bool Grooved() const { return grooved_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool grooved_;
};
