#pragma once
// The tracker's marker: the letter "X" in a default sans-serif face at 8
// points, without anti-aliasing, set as colour table entry 2 (green 128) into
// a 16-colour map picture with its top-left corner at the given pixel.
// Whatever falls outside the picture is clipped.

#include "map/IndexedImage.h"

#include <QPoint>
#include <QRect>

constexpr int kMarkerEntry = 2;

void DrawPlayerMarkerAt(IndexedImage& picture, int left, int top);

// The pixels a marker drawn there may cover.
QRect PlayerMarkerBounds(QPoint topLeft);
