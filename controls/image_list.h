// A list of pictures with 1-based indices and text keys. Every picture keeps its own size, so what a
// picture shows never depends on the pictures loaded before it.
#pragma once

#include <QColor>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <vector>

namespace velsaro {

struct ImageListEntry {
    int index = 0; // 1-based position
    QString key;   // may be empty; a non-empty key names one entry only
    QImage picture;
};

class ImageList {
public:
    static constexpr QRgb white = 0xFFFFFFu;

    explicit ImageList(QRgb maskColour = white) : maskColour_(maskColour & 0xFFFFFFu) {}

    // Inserts picture at index (1..count() + 1) under key. Throws std::out_of_range for another index
    // and std::invalid_argument for a null picture or a key already in the list.
    void add(int index, const QString& key, const QImage& picture);
    // Removes the entry at index (1..count()); the later ones move down. Throws std::out_of_range.
    void remove(int index);
    void clear() { entries_.clear(); }
    int count() const { return int(entries_.size()); }
    bool containsKey(const QString& key) const { return !key.isEmpty() && indexOfKey(key) > 0; }

    // Entry at index (1..count()). Throws std::out_of_range.
    ImageListEntry item(int index) const;
    // Entry with that key. Throws std::out_of_range when no entry has it.
    ImageListEntry item(const QString& key) const;

    // A new picture: the picture of key1 with the picture of key2 drawn over it from the top-left
    // corner. key2's pixels in the mask colour, and fully transparent ones, leave the pixel below;
    // every other pixel replaces it. The result has the size of key1's picture.
    QImage overlay(const QString& key1, const QString& key2) const;
    // The same over what a drawing area of areaSize and background shows of the entry at index below
    // (its picture unscaled from the top-left corner, the background where it does not reach), with
    // the picture at index above laid over it from (0, 0). The result has the area's size, so a mesh
    // as large as the area is drawn whole over a smaller picture, and a larger picture is cut as the
    // area cuts it. Entries are named by index: keys come from file names, which may hold anything.
    // Throws std::out_of_range for a missing index.
    QImage overlayOnArea(int below, int above, QSize areaSize, QColor background) const;

    QRgb maskColour() const { return maskColour_; }

private:
    int indexOfKey(const QString& key) const;
    // Draws top over picture (ARGB32) from the top-left corner, the mask colour left transparent.
    void drawOver(QImage& picture, const QImage& top) const;

    QRgb maskColour_;
    std::vector<ImageListEntry> entries_;
};

} // namespace velsaro
