// PictureRegion::Fitted against the area average written out term by term.
#include "picture/area_fit.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QFile>

#include <array>
#include <vector>

namespace velsaro {
namespace {

using namespace velsaro::testing;

// Each output pixel: the sum over every source pixel of its value times the lengths of its overlaps
// across and down, over the source's area, rounded half up; summed as dense weight matrices (every
// source pixel against every output pixel), down first.
QImage literalAreaAverage(const QImage& source, QSize fitted)
{
    const qint64 W = source.width(), H = source.height(), w = fitted.width(), h = fitted.height();
    const auto overlap = [](qint64 i, qint64 x, qint64 n, qint64 m) {
        return std::uint64_t(std::max<qint64>(0, std::min((i + 1) * m, (x + 1) * n) - std::max(i * m, x * n)));
    };
    // down[y][i][c]: the sum over every row j of overlap(j, y) times pixel (i, j)'s channel c.
    using Sums = std::array<std::uint64_t, 3>;
    std::vector<std::vector<Sums>> down(std::size_t(h), std::vector<Sums>(std::size_t(W), Sums{}));
    for (qint64 y = 0; y < h; ++y)
        for (qint64 j = 0; j < H; ++j)
            for (qint64 i = 0; i < W; ++i) {
                const QRgb pixel = source.pixel(int(i), int(j));
                const std::uint64_t weight = overlap(j, y, H, h);
                auto& sums = down[std::size_t(y)][std::size_t(i)];
                sums[0] += weight * std::uint64_t(qRed(pixel));
                sums[1] += weight * std::uint64_t(qGreen(pixel));
                sums[2] += weight * std::uint64_t(qBlue(pixel));
            }
    QImage result(fitted, QImage::Format_RGB32);
    const std::uint64_t area = std::uint64_t(W * H);
    for (qint64 y = 0; y < h; ++y)
        for (qint64 x = 0; x < w; ++x) {
            std::array<std::uint64_t, 3> sums{};
            for (qint64 i = 0; i < W; ++i)
                for (int c = 0; c < 3; ++c)
                    sums[std::size_t(c)] += overlap(i, x, W, w) * down[std::size_t(y)][std::size_t(i)][std::size_t(c)];
            result.setPixel(int(x), int(y), qRgb(int((sums[0] + area / 2) / area), int((sums[1] + area / 2) / area),
                                                 int((sums[2] + area / 2) / area)));
        }
    return result;
}

PictureFile readFitted(const TemporaryFolder& folder, const QByteArray& bytes)
{
    return readPictureFile(QFile::encodeName(folder.write("picture.bmp", bytes)).toStdString(), PictureRegion::Fitted);
}

TEST(FittedPicture, TakesTheWholeWidthOrHeightWithTheOtherSideRoundedHalfUp)
{
    EXPECT_EQ(fittedSize(860, 1000), QSize(430, 500));
    EXPECT_EQ(fittedSize(1000, 1200), QSize(419, 503)); // 419.17
    EXPECT_EQ(fittedSize(1, 2), QSize(252, 503));       // 251.5 rounds up
    EXPECT_EQ(fittedSize(6000, 1), QSize(430, 1));
    EXPECT_EQ(fittedSize(1, 6000), QSize(1, 503));
    EXPECT_EQ(fittedSize(43, 50), QSize(430, 500));
}

TEST(FittedPicture, RoundsEveryQuotientAsAnIntegerDivisionWould)
{
    // Sums at and around each boundary between quotients, where an estimate off by one shows.
    for (const std::uint64_t area : {1ull, 3ull, 7ull, 430ull * 503ull, 6000ull * 4000ull, 65535ull * 65535ull,
                                     (1ull << 44) - 1, 1ull << 45}) {
        const RoundedQuotient rounded(area);
        for (const std::uint64_t quotient : {0ull, 1ull, 127ull, 254ull, 255ull})
            for (const std::uint64_t sum : {quotient * area, quotient * area + (area - 1) / 2, quotient * area + area / 2,
                                            quotient * area + area - 1})
                ASSERT_EQ(rounded(sum), (sum + area / 2) / area) << sum << " / " << area;
    }
}

TEST(FittedPicture, ReducesALargeBitmapReadInBandsToTheLiteralAreaAverage)
{
    // 2,700 bytes a row: the 700 rows are read in two bands.
    TemporaryFolder folder;
    const QImage source = variedPicture(900, 700, 11);
    const PictureFile fitted = readFitted(folder, bmp24(source));
    ASSERT_EQ(fitted.error, PictureFileError::None);
    EXPECT_EQ(fitted.size, (PictureSize{900, 700}));
    EXPECT_EQ(fitted.image.convertToFormat(QImage::Format_RGB32), literalAreaAverage(source, QSize(430, 334)));
}

TEST(FittedPicture, EnlargesASmallPictureToTheLiteralAreaAverage)
{
    TemporaryFolder folder;
    const QImage source = variedPicture(37, 23, 5);
    const PictureFile fitted = readFitted(folder, bmp24(source));
    ASSERT_EQ(fitted.error, PictureFileError::None);
    EXPECT_EQ(fitted.image.convertToFormat(QImage::Format_RGB32), literalAreaAverage(source, QSize(430, 267)));
}

TEST(FittedPicture, AveragesTransparentPixelsAsTheAreaGreyBehindThem)
{
    TemporaryFolder folder;
    QImage source = variedPicture(90, 60, 8).convertToFormat(QImage::Format_ARGB32);
    QImage seen = source.copy();
    for (int y = 0; y < 60; ++y)
        for (int x = y % 3; x < 90; x += 3) {
            source.setPixel(x, y, qRgba(255, 0, 0, 0));
            seen.setPixel(x, y, qRgb(192, 192, 192));
        }
    const PictureFile fitted = readFitted(folder, bmp32Bitfields(source, BitfieldsHeader::V4));
    ASSERT_EQ(fitted.error, PictureFileError::None);
    EXPECT_EQ(fitted.image.convertToFormat(QImage::Format_RGB32), literalAreaAverage(seen, QSize(430, 287)));
}

} // namespace
} // namespace velsaro
