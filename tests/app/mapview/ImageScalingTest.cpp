#include "app/mapview/ImageScaling.h"
#include "tests/support/MainWindowFixture.h"

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

} // namespace
