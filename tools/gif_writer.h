// A minimal GIF89a writer (Qt reads GIF but cannot write it), shared by the program that draws the
// sample pictures and by the tests' generated pictures.
#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>
#include <vector>

namespace velsaro {

// A GIF89a file. Every frame is a Format_Indexed8 picture of the same size; the first frame's colour
// table is the global palette. transparentIndex, if given, is declared transparent in every frame.
// Several frames make an animation with a 0.1 s delay per frame.
QByteArray gif(const std::vector<QImage>& frames, std::optional<int> transparentIndex = {});

} // namespace velsaro
