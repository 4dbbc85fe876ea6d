#include "engine/geometry.h"

#include <gtest/gtest.h>

#include <array>

namespace velsaro {
namespace {

TEST(MeshGeometry, SpacingRoundsHalvesToEven)
{
    const MeshGeometry mesh = meshGeometry(434, 507, 4);
    EXPECT_EQ(mesh.wq, 108); // 108.5, not 109
    EXPECT_EQ(mesh.hq, 127); // 126.75
    EXPECT_EQ(meshGeometry(438, 507, 4).wq, 110); // 109.5 goes up to the even 110
    EXPECT_EQ(meshGeometry(430, 500, 4).wq, 108); // 107.5
    EXPECT_EQ(meshGeometry(430, 500, 4).hq, 125);
}

TEST(MeshGeometry, IntersectionsAreTheInnerQuarterLinesRowByRow)
{
    const MeshGeometry mesh = meshGeometry(434, 507, 8);
    const std::array<int, 3> xs = {108, 216, 324};
    const std::array<int, 3> ys = {127, 254, 381};
    for (int j = 0; j < 9; ++j) {
        EXPECT_EQ(mesh.intersection(j).x, xs[j % 3]) << j;
        EXPECT_EQ(mesh.intersection(j).y, ys[j / 3]) << j;
    }
}

TEST(MeshGeometry, MaskCornersOfTheThreeLevels)
{
    struct Expected {
        int n;
        std::array<int, 3> x0;
        std::array<int, 3> y0;
    };
    const std::array<Expected, 3> levels = {{
        {4, {106, 214, 322}, {125, 252, 379}},
        {8, {104, 212, 320}, {123, 250, 377}},
        {16, {100, 208, 316}, {119, 246, 373}},
    }};
    for (const Expected& level : levels) {
        const MeshGeometry mesh = meshGeometry(434, 507, level.n);
        for (int j = 0; j < 9; ++j) {
            EXPECT_EQ(mesh.maskCorner(j).x, level.x0[j % 3]) << "N " << level.n << " j " << j;
            EXPECT_EQ(mesh.maskCorner(j).y, level.y0[j / 3]) << "N " << level.n << " j " << j;
        }
    }
}

TEST(MeshGeometry, EveryMaskLiesInsideTheDrawingArea)
{
    const MeshGeometry largest = meshGeometry(434, 507, 16);
    const PixelPosition last = largest.maskCorner(8);
    EXPECT_EQ(last.x + 15, 331);
    EXPECT_EQ(last.y + 15, 388);
    EXPECT_LT(last.x + 15, drawingAreaWidth);
    EXPECT_LT(last.y + 15, drawingAreaHeight);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_EQ(roundHalfEven(126.75), 127);
}

} // namespace
} // namespace velsaro
