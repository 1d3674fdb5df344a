#include "app/window/BesideTheGame.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

BesideTheGame::BesideTheGame(QWidget* window, QList<QWidget*> hiddenWhenCompact)
    : QObject(window), window_(window), hiddenWhenCompact_(std::move(hiddenWhenCompact))
{
}

void BesideTheGame::setStayOnTop(bool on)
{
    if (on == staysOnTop())
        return;
    const bool shown = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on); // hides the window
    if (shown)
        window_->show();
}

bool BesideTheGame::staysOnTop() const
{
    return window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void BesideTheGame::setCompact(bool on)
{
    if (on == compact_)
        return;
    compact_ = on;
    const QSize size = window_->size();
    for (QWidget* part : hiddenWhenCompact_)
        part->setVisible(!on);
    window_->resize(size);
    showOpacity();
}

void BesideTheGame::setOpacity(int percent)
{
    opacity_ = *std::min_element(kOpacities.begin(), kOpacities.end(),
                                 [percent](int a, int b) { return std::abs(a - percent) < std::abs(b - percent); });
    showOpacity();
}

void BesideTheGame::showOpacity()
{
    window_->setWindowOpacity(compact_ ? opacity_ / 100.0 : 1.0);
}
