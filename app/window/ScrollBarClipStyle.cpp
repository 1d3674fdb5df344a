#include "app/window/ScrollBarClipStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

ScrollBarClipStyle::ScrollBarClipStyle(QStyle* style) : QProxyStyle(style) {}

void ScrollBarClipStyle::UseForApplication()
{
    QApplication::setStyle(new ScrollBarClipStyle(QApplication::style()));
}

void ScrollBarClipStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const
{
    if (control != CC_ScrollBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    painter->setClipRect(option->rect, Qt::IntersectClip);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    painter->restore();
}
