// Platform-internal: the Qt side of the pictures.
#pragma once

#include <QByteArray>
#include <QImage>
#include <memory>
#include <vector>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/MetafileRecordingQt.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

struct TBitmapPrivate {
    QImage Image;
    std::unique_ptr<TCanvas> Canvas;  // created on first use, attached to Image
    std::vector<Byte> Raw;            // the bytes loaded, while the image is unchanged
};

struct TImagePrivate {
    QImage Image;
    std::vector<Byte> Raw;
};

struct TMetafilePrivate {
    std::shared_ptr<const TMetaRecording> Recording;  // nullptr: empty
    std::vector<Byte> Raw;
};

// Decodes an image of the given format ("BMP", "PNG", "JPEG", "ICO") within the size limits;
// EInvalidGraphic with Message for bad data or dimensions beyond the limits.
QImage DecodeImage(const std::vector<Byte>& Data, const char* Format, const char* Message);
// Encodes Image in Format.
std::vector<Byte> EncodeImage(const QImage& Image, const char* Format, int Quality = -1);
// Whole-file reads and writes of graphics, raising the stream errors.
std::vector<Byte> ReadGraphicFile(const AnsiString& FileName);
void WriteGraphicFile(const AnsiString& FileName, const std::vector<Byte>& Data);
inline QByteArray ToQByteArray(const std::vector<Byte>& Data) {
    return QByteArray(reinterpret_cast<const char*>(Data.data()),
                      static_cast<qsizetype>(Data.size()));
}
inline std::vector<Byte> FromQByteArray(const QByteArray& Data) {
    return std::vector<Byte>(Data.begin(), Data.end());
}

// The bitmap's pixels, with its canvas's drawing finished.
const QImage& BitmapImage(const TBitmap& Bitmap);
// Replaces the bitmap's pixels (converted to 32 bits).
void SetBitmapImage(TBitmap& Bitmap, const QImage& Image);
// Draws Image into Rect of Canvas, leaving pixels of colour Transparent (plain RGB; -1 for none)
// untouched.
void DrawImageOn(TCanvas& Canvas, const TRect& Rect, const QImage& Image, TColor Transparent);

}  // namespace carrelon
