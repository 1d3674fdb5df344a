// Keeping the window beside the game: compact view leaves the layout as it
// was, Stay on Top sets the window's hint, opacity counts in compact view
// only, and a tracking file keeps all three.

#include "app/window/BesideTheGame.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QMenu>

#include <map>

namespace {

class BesideTheGameTest : public MainWindowTest {
protected:
    // Every control's place in the window, by its name.
    std::map<QString, QRect> Layout() const
    {
        std::map<QString, QRect> places;
        for (QWidget* control : window_->findChildren<QWidget*>())
            if (!control->objectName().isEmpty() && control->isVisible())
                places[control->objectName()] = QRect(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
        return places;
    }
};

TEST_F(BesideTheGameTest, CompactViewShowsTheMapAreaAloneAndLeavesTheLayoutAsItWas)
{
    ClickMap("Harbor2.map");
    QApplication::processEvents();
    const std::map<QString, QRect> before = Layout();
    const QSize size = window_->size();
    const QString caption = Caption();
    ASSERT_TRUE(before.count("sb1") && before.count("pnl1") && before.count("mmo1"));

    QTest::keyClick(window_.get(), Qt::Key_F11);
    QApplication::processEvents();
    EXPECT_EQ(window_->size(), size);
    EXPECT_FALSE(Find<QWidget>("pnl1")->isVisible());
    EXPECT_FALSE(Find<QWidget>("mmo1")->isVisible());
    EXPECT_TRUE(Find<QWidget>("rtr1")->isVisible());
    EXPECT_EQ(PlaceInWindow(Find<QWidget>("sb1")), QRect(0, 29, size.width(), size.height() - 29));
    EXPECT_EQ(Caption(), caption);
    EXPECT_TRUE(Command("Compact View")->isChecked());

    // Opacity counts in compact view only.
    window_->findChild<BesideTheGame*>()->setOpacity(70);
    EXPECT_NEAR(window_->windowOpacity(), 0.7, 0.01);
    QTest::keyClick(window_.get(), Qt::Key_F11);
    QApplication::processEvents();
    EXPECT_NEAR(window_->windowOpacity(), 1.0, 0.01);
    EXPECT_EQ(window_->size(), size);
    EXPECT_EQ(Layout(), before);
}

TEST_F(BesideTheGameTest, StayOnTopSetsTheWindowsHintAndKeepsItShown)
{
    const QRect place = window_->geometry();
    QTest::keyClick(window_.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->geometry().size(), place.size());
    EXPECT_TRUE(Command("Stay on Top")->isChecked());
    QTest::keyClick(window_.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window_->isVisible());
}

// Opacities come as the menu offers them; any other is the nearest (a tie
// goes to the more opaque).
TEST(BesideTheGameOpacityTest, TheNearestOfTheMenusOpacities)
{
    QWidget window;
    BesideTheGame beside(&window, {});
    for (const auto& [asked, kept] : std::map<int, int>{{100, 100}, {90, 85}, {10, 50}, {60, 70}, {78, 85}, {0, 50}})
        EXPECT_EQ((beside.setOpacity(asked), beside.opacity()), kept) << asked;
}

} // namespace
