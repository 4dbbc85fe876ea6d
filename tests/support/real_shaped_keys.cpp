#include "tests/support/real_shaped_keys.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>

namespace velsaro::testing {

namespace {

constexpr int photoWidth = 1200;
constexpr int photoHeight = 900;
constexpr int photoCount = 4;
constexpr std::size_t cropCount = 2000;
constexpr std::int32_t greyBackground = 192 + 256 * 192 + 65536 * 192;

using Random = std::mt19937;

double uniform(Random& random, double least, double most)
{
    return std::uniform_real_distribution<double>(least, most)(random);
}

QColor shapeColour(Random& random)
{
    switch (random() % 3) {
    case 0: return QColor::fromHsvF(uniform(random, 0.02, 0.1), uniform(random, 0.3, 0.6), uniform(random, 0.4, 0.95));
    case 1: return QColor::fromHsvF(uniform(random, 0.2, 0.4), uniform(random, 0.4, 0.9), uniform(random, 0.15, 0.6));
    default: return QColor::fromHsvF(uniform(random, 0, 1), uniform(random, 0, 0.8), uniform(random, 0.05, 0.9));
    }
}

// Sky over ground, then faces (skin), foliage and clothes as shaded ellipses, mostly below the horizon,
// drawn on a photoWidth x photoHeight plane scaled to the photo.
void paintScene(QImage& photo, Random& random)
{
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(photo.width()) / photoWidth, double(photo.height()) / photoHeight);
    QLinearGradient sky(0, 0, 0, photoHeight * uniform(random, 0.3, 0.7));
    sky.setColorAt(0, QColor::fromHsvF(uniform(random, 0.52, 0.65), uniform(random, 0.2, 0.7), uniform(random, 0.7, 1)));
    sky.setColorAt(1, QColor::fromHsvF(uniform(random, 0.5, 0.65), uniform(random, 0.05, 0.3), uniform(random, 0.8, 1)));
    painter.fillRect(photo.rect(), sky);
    const double horizon = photoHeight * uniform(random, 0.35, 0.75);
    QLinearGradient ground(0, horizon, 0, photoHeight);
    ground.setColorAt(0, QColor::fromHsvF(uniform(random, 0.08, 0.35), uniform(random, 0.3, 0.8), uniform(random, 0.3, 0.7)));
    ground.setColorAt(1, QColor::fromHsvF(uniform(random, 0.05, 0.3), uniform(random, 0.3, 0.9), uniform(random, 0.1, 0.4)));
    painter.fillRect(QRectF(0, horizon, photoWidth, photoHeight - horizon), ground);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 30; ++i) {
        const QPointF centre(uniform(random, 0, photoWidth), uniform(random, horizon * 0.6, photoHeight));
        const double rx = uniform(random, 15, 190);
        const double ry = uniform(random, 15, 220);
        const QColor colour = shapeColour(random);
        QRadialGradient shading(centre - QPointF(rx * 0.3, ry * 0.3), std::max(rx, ry));
        shading.setColorAt(0, colour.lighter(130));
        shading.setColorAt(1, colour.darker(150));
        painter.setBrush(shading);
        painter.drawEllipse(centre, rx, ry);
    }
}

void addGrain(QImage& photo, Random& random)
{
    std::normal_distribution<double> grain(0, 6);
    const auto clamped = [](int value) { return std::clamp(value, 0, 255); };
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int n = int(grain(random));
            line[x] = qRgb(clamped(qRed(line[x]) + n), clamped(qGreen(line[x]) + n), clamped(qBlue(line[x]) + n));
        }
    }
}

QImage photoLike(Random& random, int width = photoWidth, int height = photoHeight)
{
    QImage photo(width, height, QImage::Format_RGB32);
    paintScene(photo, random);
    addGrain(photo, random);
    return photo;
}

// The key of the photo's part that a 430 x 503 drawing area shows from (left, top) at scale source
// pixels per area pixel, nearest pixel, grey beyond the photo.
KeyCodes cropKey(const QImage& photo, int left, int top, double scale)
{
    const Key key = computeKey([&](int x, int y) -> std::int32_t {
        const int sx = left + int(x * scale);
        const int sy = top + int(y * scale);
        if (sx >= photo.width() || sy >= photo.height())
            return greyBackground;
        const QRgb colour = photo.pixel(sx, sy);
        return qRed(colour) + 256 * qGreen(colour) + 65536 * qBlue(colour);
    });
    return key.codes();
}

// The keys of crops at random offsets and at scales from a half to three, made once per process.
const std::vector<KeyCodes>& cropKeys()
{
    static const std::vector<KeyCodes> keys = [] {
        Random random(20261208);
        std::vector<QImage> photos;
        for (int p = 0; p < photoCount; ++p)
            photos.push_back(photoLike(random));
        std::vector<KeyCodes> crops;
        for (std::size_t c = 0; c < cropCount; ++c) {
            const QImage& photo = photos[c % photos.size()];
            const double scale = std::exp(uniform(random, std::log(0.5), std::log(3.0)));
            const int left = int(random() % unsigned(std::max(1, photoWidth - int(430 * scale))));
            const int top = int(random() % unsigned(std::max(1, photoHeight - int(503 * scale))));
            crops.push_back(cropKey(photo, left, top, scale));
        }
        return crops;
    }();
    return keys;
}

// The bits that compare two intersections of the mesh: the others compare with a neighbour off the
// mesh and hardly ever change, so a near copy differs in these.
std::vector<int> comparisonBits()
{
    std::vector<int> bits;
    for (int code = 0; code < keyCodeCount; ++code) {
        const int r = code % 9 / 3;
        const int c = code % 3;
        int bit = 0; // most significant first: neighbours row by row, the intersection itself skipped
        for (int l = r - 1; l <= r + 1; ++l)
            for (int m = c - 1; m <= c + 1; ++m) {
                if (l == r && m == c)
                    continue;
                if (l >= 0 && l <= 2 && m >= 0 && m <= 2)
                    bits.push_back(code * 8 + bit);
                ++bit;
            }
    }
    return bits;
}

KeyCodes nearCopy(KeyCodes key, Random& random)
{
    static const std::vector<int> bits = comparisonBits();
    const int turned = 1 + int(random() % 8);
    for (int t = 0; t < turned; ++t) {
        const int bit = bits[random() % bits.size()];
        key[std::size_t(bit / 8)] ^= std::uint8_t(0x80 >> (bit % 8));
    }
    return key;
}

KeyCodes levelsOfCrops(const std::vector<KeyCodes>& crops, Random& random)
{
    KeyCodes key{};
    for (std::size_t level = 0; level < 3; ++level) {
        const KeyCodes& crop = crops[random() % crops.size()];
        std::copy_n(crop.begin() + level * 9, 9, key.begin() + level * 9);
    }
    return key;
}

int bitOf(const KeyCodes& key, int bit)
{
    return (key[std::size_t(bit / 8)] >> (7 - bit % 8)) & 1;
}

} // namespace

std::vector<KeyCodes> realShapedKeys(std::size_t count, unsigned seed)
{
    return realShapedKeysWithOrigins(count, seed).keys;
}

ShapedKeys realShapedKeysWithOrigins(std::size_t count, unsigned seed)
{
    const std::vector<KeyCodes>& crops = cropKeys();
    Random random(seed);
    ShapedKeys made;
    made.keys.reserve(count);
    while (made.keys.size() < count) {
        const bool copy = !made.keys.empty() && random() % 10 < 3;
        const std::size_t origin = copy ? random() % made.keys.size() : made.keys.size();
        made.keys.push_back(copy ? nearCopy(made.keys[origin], random) : levelsOfCrops(crops, random));
        made.origins.push_back(origin);
    }
    return made;
}

QImage photoLikePicture(int width, int height, unsigned seed)
{
    Random random(seed);
    return photoLike(random, width, height);
}

KeySkew keySkew(const std::vector<KeyCodes>& keys)
{
    KeySkew skew{1, 0, 0, 0};
    for (int bit = 0; bit < keyCodeCount * 8; ++bit) {
        std::size_t ones = 0;
        for (const KeyCodes& key : keys)
            ones += std::size_t(bitOf(key, bit));
        const double p = double(ones) / double(keys.size());
        skew.bitsOver90 += p > 0.9 || p < 0.1;
        if (p > 0 && p < 1)
            skew.entropyBits += -p * std::log2(p) - (1 - p) * std::log2(1 - p);
    }
    for (int segment = 0; segment < keyCodeCount * 8 / 12; ++segment) {
        std::map<int, std::size_t> counts;
        std::size_t top = 0;
        for (const KeyCodes& key : keys) {
            int value = 0;
            for (int b = 0; b < 12; ++b)
                value = value << 1 | bitOf(key, segment * 12 + b);
            top = std::max(top, ++counts[value]);
        }
        const double share = double(top) / double(keys.size());
        skew.leastTopShare = std::min(skew.leastTopShare, share);
        skew.mostTopShare = std::max(skew.mostTopShare, share);
    }
    return skew;
}

std::string describe(const KeySkew& skew)
{
    char text[200];
    std::snprintf(text, sizeof text,
                  "most common 12-bit segment value in %.0f%% to %.0f%% of keys; %d bits over 90%% one value; "
                  "%.0f bits of entropy",
                  100 * skew.leastTopShare, 100 * skew.mostTopShare, skew.bitsOver90, skew.entropyBits);
    return text;
}

} // namespace velsaro::testing
