#pragma once

#include <QPixmap>

// The game's pictures, drawn rather than shipped: 25 faces (simple, distinct, colourful
// symbols on a light card), the card back and the empty place of a removed pair. All
// 32 × 32 pixels; the board takes its cell size from the back.
namespace CardPictures {
constexpr int kFaces = 25;
constexpr int kSize = 32;
QPixmap face(int index);  // 0 .. kFaces - 1
QPixmap back();
QPixmap blank();
}  // namespace CardPictures
