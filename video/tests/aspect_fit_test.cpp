// Placement of a frame in the window: the picture keeps its aspect ratio, fills one
// side of the client area and is centred along the other.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "video/aspect_fit.h"

namespace {

TEST(AspectFit, FourByThreeAndTheChipsAspectInCommonWindows)
{
    // 256 / 1.3333334f truncates to 191 lines, a hair flatter than the window: 597 lines,
    // one band line above and two below.
    const AspectFit fit = FitToAspect(256, 192, 1.3333334f, {0, 0, 800, 600});
    EXPECT_EQ(fit.sourceHeight, 191);
    EXPECT_EQ(fit.destination, (OutputRect{0, 1, 800, 598}));
    const AspectFit wide = FitToAspect(256, 192, 1.3333334f, {0, 0, 1000, 600});
    EXPECT_EQ(wide.destination, (OutputRect{98, 0, 902, 600}));
    EXPECT_DOUBLE_EQ(wide.scaleX * 804, 256.0);
    EXPECT_EQ(FitToAspect(256, 192, 1.4666667f, {0, 0, 800, 600}).destination, (OutputRect{0, 28, 800, 572}));
}

TEST(AspectFit, PortraitFramesWidenInsteadOfFlattening)
{
    // Taller than wide: the width follows the aspect, 2 x 100 = 200 columns.
    const AspectFit fit = FitToAspect(50, 100, 2.0f, {0, 0, 400, 400});
    EXPECT_EQ(fit.sourceWidth, 200);
    EXPECT_EQ(fit.sourceHeight, 100);
    EXPECT_EQ(fit.destination, (OutputRect{0, 100, 400, 300}));
}

TEST(AspectFit, NoAspectKeepsThePixelShape)
{
    EXPECT_EQ(FitToAspect(320, 200, 0.0f, {0, 0, 640, 480}).destination, (OutputRect{0, 40, 640, 440}));
    EXPECT_EQ(FitToAspect(320, 200, -1.0f, {0, 0, 640, 400}).destination, (OutputRect{0, 0, 640, 400}));
}

TEST(AspectFit, AbsurdInputsStayInsideTheClientArea)
{
    const OutputRect client{0, 0, 800, 600};
    for (float aspect : {1e-30f, 1e30f, std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()}) {
        const AspectFit fit = FitToAspect(256, 192, aspect, client);
        EXPECT_GE(fit.destination.left, 0) << aspect;
        EXPECT_GE(fit.destination.top, 0) << aspect;
        EXPECT_LE(fit.destination.right, 800) << aspect;
        EXPECT_LE(fit.destination.bottom, 600) << aspect;
        EXPECT_TRUE(std::isfinite(fit.scaleX) && std::isfinite(fit.scaleY)) << aspect;
    }
    const AspectFit empty = FitToAspect(0, 0, 1.0f, {0, 0, 0, 0});
    EXPECT_EQ(empty.destination, (OutputRect{0, 0, 0, 0}));
    EXPECT_EQ(empty.scaleX, 1.0);
}

} // namespace
