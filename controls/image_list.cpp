#include "controls/image_list.h"

#include "picture/drawing_area.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace velsaro {

namespace {

[[noreturn]] void badIndex(int index, int count)
{
    throw std::out_of_range("image list index " + std::to_string(index) + " outside 1.." +
                            std::to_string(count));
}

} // namespace

void ImageList::add(int index, const QString& key, const QImage& picture)
{
    if (index < 1 || index > count() + 1)
        badIndex(index, count() + 1);
    if (picture.isNull())
        throw std::invalid_argument("image list entry without a picture");
    if (!key.isEmpty() && indexOfKey(key) > 0)
        throw std::invalid_argument("image list key already in use: " + key.toStdString());
    entries_.insert(entries_.begin() + (index - 1), ImageListEntry{0, key, picture});
    for (int i = index - 1; i < count(); ++i)
        entries_[i].index = i + 1;
}

void ImageList::remove(int index)
{
    if (index < 1 || index > count())
        badIndex(index, count());
    entries_.erase(entries_.begin() + (index - 1));
    for (int i = index - 1; i < count(); ++i)
        entries_[i].index = i + 1;
}

ImageListEntry ImageList::item(int index) const
{
    if (index < 1 || index > count())
        badIndex(index, count());
    return entries_[index - 1];
}

ImageListEntry ImageList::item(const QString& key) const
{
    const int index = key.isEmpty() ? 0 : indexOfKey(key);
    if (index == 0)
        throw std::out_of_range("no image list entry with key " + key.toStdString());
    return entries_[index - 1];
}

int ImageList::indexOfKey(const QString& key) const
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const ImageListEntry& entry) { return entry.key == key; });
    return found == entries_.end() ? 0 : int(found - entries_.begin()) + 1;
}

QImage ImageList::overlay(const QString& key1, const QString& key2) const
{
    QImage result = item(key1).picture.convertToFormat(QImage::Format_ARGB32);
    result.setDevicePixelRatio(1.0);
    drawOver(result, item(key2).picture);
    return result;
}

QImage ImageList::overlayOnArea(int below, int above, QSize areaSize, QColor background) const
{
    const QImage& top = item(above).picture;
    QImage result = DrawingArea(areaSize, background, item(below).picture).image()
                        .convertToFormat(QImage::Format_ARGB32);
    drawOver(result, top);
    return result;
}

void ImageList::drawOver(QImage& picture, const QImage& top) const
{
    const QImage above = top.convertToFormat(QImage::Format_ARGB32);
    const int width = std::min(picture.width(), above.width());
    const int height = std::min(picture.height(), above.height());
    for (int y = 0; y < height; ++y) {
        auto* below = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const auto* over = reinterpret_cast<const QRgb*>(above.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool transparent = qAlpha(over[x]) == 0 || (over[x] & 0xFFFFFFu) == maskColour_;
            if (!transparent)
                below[x] = over[x] | 0xFF000000u;
        }
    }
}

} // namespace velsaro
