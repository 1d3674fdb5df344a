#include "MainWindowFixture.h"

#include "ImageControl.h"
#include "ImageScaling.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace {

struct ZoomStep {
    const char* name;
    int size, zoomedIn, zoomedOut;
};

class ZoomStepTest : public ::testing::TestWithParam<ZoomStep> {};

TEST_P(ZoomStepTest, AFifthOfTheSizeTruncated)
{
    EXPECT_EQ(ZoomedInSize(GetParam().size), GetParam().zoomedIn);
    EXPECT_EQ(ZoomedOutSize(GetParam().size), GetParam().zoomedOut);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZoomStepTest,
                         ::testing::Values(ZoomStep{"hundred", 100, 120, 80}, ZoomStep{"zoomed_once", 120, 144, 96},
                                           ZoomStep{"eighty", 80, 96, 64}, ZoomStep{"ninety_six", 96, 115, 77},
                                           ZoomStep{"nine", 9, 10, 8}, ZoomStep{"five", 5, 6, 4},
                                           ZoomStep{"four_stays", 4, 4, 4}, ZoomStep{"one_stays", 1, 1, 1},
                                           ZoomStep{"nothing", 0, 0, 0}, ZoomStep{"start_width", 257, 308, 206},
                                           ZoomStep{"start_height", 245, 294, 196},
                                           ZoomStep{"below_the_largest", kMaxControlSize - 1, kMaxControlSize, 13421772},
                                           ZoomStep{"the_largest", kMaxControlSize, kMaxControlSize, 13421772}),
                         [](const ::testing::TestParamInfo<ZoomStep>& step) { return std::string(step.param.name); });

TEST(SourcePixelTest, WholePixelsAreRepeatedOrDropped)
{
    // 3 picture pixels over 7 screen pixels: 0 0 0 1 1 2 2.
    const int expected[] = {0, 0, 0, 1, 1, 2, 2};
    for (int at = 0; at < 7; ++at)
        EXPECT_EQ(SourcePixel(at, 7, 3), expected[at]) << at;
    EXPECT_EQ(SourcePixel(kMaxControlSize - 1, kMaxControlSize, 65535), 65534); // no overflow
    EXPECT_EQ(SourcePixel(3, 4, 8), 6); // shrinking drops every other pixel
}

class MapViewTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // 100 x 80 cells, x % 3 telling the columns apart: open, blocked, flagged.
        std::string field = MapHeaderBytes(100, 80);
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 80; ++y)
                field += x % 3 == 0 ? CellBytes(0) : x % 3 == 1 ? CellBytes(200) : CellBytes(0, 0x80, 0x80);
        Write("Field.map", field);
        EnterFolder(maps_.path());
    }

    QSize ImageSize() const { return window_->mapView().imageSize(); }
    void Repeat(int times, const char* button)
    {
        for (int i = 0; i < times; ++i)
            Click(button);
    }
    ImageControl* Image() const { return Find<ImageControl>("img1"); }
};

TEST_F(MapViewTest, ZoomAndViewFollowTheControlSize)
{
    Click("rtbtnBtnView"); // natural mode already: nothing changes
    EXPECT_EQ(ImageSize(), QSize(257, 245));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(308, 294));

    // A map loaded while zoomed is stretched into the control's size.
    ClickMap("Field.map");
    EXPECT_EQ(ImageSize(), QSize(308, 294));
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(120, 96));
    Click("rtbtnBtnZoomOut");
    EXPECT_EQ(ImageSize(), QSize(96, 77));
    Repeat(40, "rtbtnBtnZoomOut");
    EXPECT_EQ(ImageSize(), QSize(4, 4));
    Repeat(3, "rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(4, 4)); // below 5 nothing grows
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    EXPECT_EQ(Clean().size(), QSize(100, 80)); // zoom never touches the map

    // Tall and narrow: each direction steps by itself.
    Write("Narrow.map", MapHeaderBytes(3, 200));
    EnterFolder(maps_.path());
    ClickMap("Narrow.map");
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(3, 240));
}

TEST_F(MapViewTest, ViewWithoutAPictureShrinksTheControlToNothing)
{
    Click("rtbtnBtnZoomIn");
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    ClickMap("Harbor2.map");
    EXPECT_EQ(ImageSize(), QSize(0, 0)); // still zoomed: the map is stretched into nothing
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(3, 2));
}

TEST_F(MapViewTest, TwoHundredZoomInClicksStopAtTheLargestControl)
{
    ClickMap("Field.map");
    Repeat(200, "rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(kMaxControlSize, kMaxControlSize));
    QApplication::processEvents();
    auto* mapArea = Find<QScrollArea>("sb1");
    mapArea->verticalScrollBar()->setValue(mapArea->verticalScrollBar()->maximum());
    QApplication::processEvents();
    // Column 98 (flagged) covers a hundredth of the control, from 98 % of its width.
    const QImage corner = Image()->grab(QRect(kMaxControlSize / 100 * 98 + 100, kMaxControlSize - 20, 20, 20)).toImage();
    EXPECT_EQ(corner.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(corner.pixel(19, 19), qRgb(0, 0, 255));
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
}

TEST_F(MapViewTest, AZoomedMapPaintsTheCellsUnderTheExposedArea)
{
    ClickMap("Field.map");
    Repeat(20, "rtbtnBtnZoomIn");
    const QSize size = ImageSize();
    ASSERT_GT(size.width(), 3000);
    const QRect exposed(1234, 567, 60, 30);
    const QImage shown = Image()->grab(exposed).toImage();
    const QRgb entryColor[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < exposed.height(); ++y) {
        for (int x = 0; x < exposed.width(); ++x) {
            const int cellX = SourcePixel(exposed.x() + x, size.width(), 100);
            ASSERT_EQ(shown.pixel(x, y), entryColor[cellX % 3]) << x << "," << y;
        }
    }
}

} // namespace
