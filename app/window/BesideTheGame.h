#pragma once
// Keeping the window beside the game: on top of other windows; compact, with
// only the map area, the toolbar and the readout (the parts given are hidden,
// the window keeping its size, and shown again as they were); and, in compact
// view, see-through.

#include <QList>
#include <QObject>

#include <array>

class QWidget;

class BesideTheGame : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 4> kOpacities{100, 85, 70, 50}; // percent

    BesideTheGame(QWidget* window, QList<QWidget*> hiddenWhenCompact);

    void setStayOnTop(bool on);
    bool staysOnTop() const;
    void setCompact(bool on);
    bool isCompact() const { return compact_; }
    // One of kOpacities, the nearest for any other; shown in compact view only.
    void setOpacity(int percent);
    int opacity() const { return opacity_; }

private:
    void showOpacity();

    QWidget* window_;
    QList<QWidget*> hiddenWhenCompact_;
    bool compact_ = false;
    int opacity_ = 100;
};
