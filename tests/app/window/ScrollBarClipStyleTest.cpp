#include "app/window/ScrollBarClipStyle.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct ScrollBarCase {
    const char* name;
    Qt::Orientation orientation;
    int length;
    int value; // of 0 to 100
    QStyle::State state;
    QStyle::SubControl active;
    bool partlyCovered; // painted but for a hole, as when another window lies over it
};

// A scroll bar in the state its row gives, as the mouse would leave it.
class ScrollBarInState : public QScrollBar {
public:
    explicit ScrollBarInState(const ScrollBarCase& row) : QScrollBar(row.orientation), row_(row)
    {
        setRange(0, 100);
        setPageStep(20);
        setValue(row.value);
        resize(row.orientation == Qt::Horizontal ? QSize(row.length, 16) : QSize(16, row.length));
    }

protected:
    void initStyleOption(QStyleOptionSlider* option) const override
    {
        QScrollBar::initStyleOption(option);
        option->state = (option->state & ~QStyle::State_Enabled) | row_.state;
        option->activeSubControls = row_.active;
    }

private:
    const ScrollBarCase row_;
};

QImage Painted(QStyle& style, const ScrollBarCase& row, QImage::Format format)
{
    ScrollBarInState bar(row);
    bar.setStyle(&style);
    QImage picture(row.length + 20, row.length + 20, format);
    picture.fill(QColor(200, 120, 40));
    QRegion shown(bar.rect());
    if (row.partlyCovered)
        shown -= QRect(3, 2, 9, 10);
    bar.render(&picture, QPoint(7, 5), shown);
    return picture;
}

class ScrollBarClipStyleTest : public ::testing::TestWithParam<ScrollBarCase> {};

TEST_P(ScrollBarClipStyleTest, PaintsTheSamePixelsAsTheStyleItWraps)
{
    const QString styleName = QApplication::style()->name();
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(styleName));
    ScrollBarClipStyle clipped(QStyleFactory::create(styleName));
    ASSERT_TRUE(plain);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        SCOPED_TRACE(format);
        const QImage expected = Painted(*plain, GetParam(), format);
        EXPECT_EQ(Painted(clipped, GetParam(), format), expected);
    }
}

const QStyle::State kEnabled = QStyle::State_Enabled;

INSTANTIATE_TEST_SUITE_P(
    States, ScrollBarClipStyleTest,
    ::testing::Values(
        ScrollBarCase{"long_horizontal", Qt::Horizontal, 700, 30, kEnabled, QStyle::SC_None, false},
        ScrollBarCase{"long_vertical", Qt::Vertical, 400, 30, kEnabled, QStyle::SC_None, false},
        ScrollBarCase{"disabled", Qt::Horizontal, 300, 50, QStyle::State_None, QStyle::SC_None, false},
        ScrollBarCase{"slider_hovered", Qt::Vertical, 300, 50, kEnabled | QStyle::State_MouseOver,
                      QStyle::SC_ScrollBarSlider, false},
        ScrollBarCase{"slider_pressed", Qt::Horizontal, 300, 50, kEnabled | QStyle::State_Sunken,
                      QStyle::SC_ScrollBarSlider, false},
        ScrollBarCase{"arrow_pressed", Qt::Vertical, 300, 50, kEnabled | QStyle::State_Sunken,
                      QStyle::SC_ScrollBarAddLine, false},
        ScrollBarCase{"partly_covered", Qt::Horizontal, 300, 0, kEnabled, QStyle::SC_None, true}),
    [](const ::testing::TestParamInfo<ScrollBarCase>& row) { return std::string(row.param.name); });

} // namespace
