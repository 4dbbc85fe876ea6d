// A list of pictures with 1-based indices and text keys. Every picture keeps its own size, so what a
// picture shows never depends on the pictures loaded before it.
#pragma once

#include <QImage>
#include <QRgb>
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

    // Entry at index (1..count()). Throws std::out_of_range.
    ImageListEntry item(int index) const;
    // Entry with that key. Throws std::out_of_range when no entry has it.
    ImageListEntry item(const QString& key) const;

    // A new picture: the picture of key1 with the picture of key2 drawn over it from the top-left
    // corner. key2's pixels in the mask colour, and fully transparent ones, leave the pixel below;
    // every other pixel replaces it. The result has the size of key1's picture.
    QImage overlay(const QString& key1, const QString& key2) const;

    QRgb maskColour() const { return maskColour_; }

private:
    int indexOfKey(const QString& key) const;

    QRgb maskColour_;
    std::vector<ImageListEntry> entries_;
};

} // namespace velsaro
