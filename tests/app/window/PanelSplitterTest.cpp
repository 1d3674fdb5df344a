#include "app/window/PanelSplitter.h"

#include <gtest/gtest.h>

namespace {

TEST(PanelSplitterTest, HeightsAtOrBelowThirtyCollapse)
{
    EXPECT_EQ(PanelSplitter::SnappedHeight(100, 300), 100);
    EXPECT_EQ(PanelSplitter::SnappedHeight(31, 300), 31);
    EXPECT_EQ(PanelSplitter::SnappedHeight(30, 300), 0);
    EXPECT_EQ(PanelSplitter::SnappedHeight(-20, 300), 0);
    EXPECT_EQ(PanelSplitter::SnappedHeight(500, 300), 300);
}

} // namespace
