// The built-in pictures of the windows: the four mesh pictures of the walkthrough, the faces of its two
// buttons, the main window's background and the title strip. Each call draws a fresh picture.
#pragma once

#include <QImage>
#include <QRect>

#include <array>

namespace velsaro::resources {

// Number of mesh pictures; entries are numbered from 1 like the image list that holds them.
inline constexpr int meshPictureCount = 4;

// Mesh picture 1..4, 430 x 503, black (0x000000) on white (0xFFFFFF) and nothing else: the 3 x 3 mesh,
// and for entries 2, 3 and 4 a square outline at every intersection, white inside, around the masks of
// size 4, 8 and 16. White is meant to be transparent when the picture is laid over an image.
// Any other entry gives a null picture.
QImage meshPicture(int entry);

// Size of both button faces.
inline constexpr int buttonPictureWidth = 33;
inline constexpr int buttonPictureHeight = 31;

// A round, shaded grey button face with a black rim and a dark bar followed by a right-pointing
// triangle, on white meant to be transparent. No pixel of the face itself is pure white.
QImage pasoButtonPicture();
// The same face with only the right-pointing triangle.
QImage pasoPasoButtonPicture();

// The main window's 800 x 600 background: four raised, bevelled, light-blue textured panels on a
// darker ground that shows in the narrow gaps between them.
QImage backgroundPicture();
// Where the four panels lie, as drawn: the tall left one, then the three right ones from the top.
std::array<QRect, 4> backgroundPanels();

// The 223 x 23 teal title strip, darker at the top, stretched under the title of every window.
QImage titleStripPicture();

} // namespace velsaro::resources
