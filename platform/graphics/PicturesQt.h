// Platform-internal: the Qt side of the pictures.
#pragma once

#include <QImage>
#include <memory>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

struct TBitmapPrivate {
    QImage Image;
    std::unique_ptr<TCanvas> Canvas;  // created on first use, attached to Image
};

// The bitmap's pixels, with its canvas's drawing finished.
const QImage& BitmapImage(const TBitmap& Bitmap);
// Replaces the bitmap's pixels (converted to 32 bits).
void SetBitmapImage(TBitmap& Bitmap, const QImage& Image);
// Draws Image into Rect of Canvas, leaving pixels of colour Transparent (plain RGB; -1 for none)
// untouched.
void DrawImageOn(TCanvas& Canvas, const TRect& Rect, const QImage& Image, TColor Transparent);

}  // namespace carrelon
