// Decoding and encoding of the image formats, and the graphics that keep their encoded bytes
// (JPEG images and icons).
#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include "platform/graphics/PicturesQt.h"

namespace carrelon {

QImage DecodeImage(const std::vector<Byte>& Data, const char* Format, const char* Message) {
    if (Data.empty() || Data.size() > MaxGraphicBytes) throw EInvalidGraphic(Message);
    QByteArray Bytes = ToQByteArray(Data);
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, Format);
    Reader.setAutoTransform(false);
    Reader.setAllocationLimit(static_cast<int>(MaxBitmapPixels * 4 >> 20));
    // The header's dimensions are checked before any pixel memory is allocated.
    const QSize Size = Reader.size();
    if (!Size.isValid() || Size.isEmpty() || Size.width() > MaxBitmapSide ||
        Size.height() > MaxBitmapSide ||
        static_cast<std::int64_t>(Size.width()) * Size.height() > MaxBitmapPixels)
        throw EInvalidGraphic(Message);
    QImage Image = Reader.read();
    if (Image.isNull()) throw EInvalidGraphic(Message);
    return Image;
}

std::vector<Byte> EncodeImage(const QImage& Image, const char* Format, int Quality) {
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, Format);
    if (Quality >= 0) Writer.setQuality(Quality);
    if (!Writer.write(Image)) throw EInvalidGraphic("Cannot encode the picture");
    return FromQByteArray(Bytes);
}

// ---- TEncodedImage ----

TEncodedImage::TEncodedImage() : D(std::make_unique<TImagePrivate>()) {}

TEncodedImage::~TEncodedImage() = default;

int TEncodedImage::GetWidth() const {
    return D->Image.width();
}

int TEncodedImage::GetHeight() const {
    return D->Image.height();
}

bool TEncodedImage::GetEmpty() const {
    return D->Image.isNull();
}

void TEncodedImage::DrawOn(TCanvas& Canvas, const TRect& Rect) const {
    QPainter* P = CanvasPainter(Canvas);
    if (P == nullptr || D->Image.isNull() || Rect.IsEmpty()) return;
    // Icons carry their own transparency; a picture drawn opaque loses it.
    if (FTransparent || !D->Image.hasAlphaChannel())
        P->drawImage(ToQRect(Rect), D->Image);
    else
        P->drawImage(ToQRect(Rect), D->Image.convertToFormat(QImage::Format_RGB32));
}

std::vector<Byte> TEncodedImage::SaveToData() const {
    return D->Raw;
}

// ---- TJPEGImage ----

void TJPEGImage::Assign(const TPersistent* Source) {
    if (const auto* J = dynamic_cast<const TJPEGImage*>(Source)) {
        if (J == this) return;
        D->Image = J->D->Image;
        D->Raw = J->D->Raw;
        FTransparent = J->FTransparent;
        Changed();
        return;
    }
    if (const auto* B = dynamic_cast<const TBitmap*>(Source)) {
        const QImage& Image = BitmapImage(*B);
        D->Image = Image.convertToFormat(QImage::Format_RGB32);
        D->Raw = Image.isNull() ? std::vector<Byte>() : EncodeImage(D->Image, "JPEG", 90);
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::LoadFromData(const std::vector<Byte>& Data) {
    if (Data.size() < 3 || Data[0] != 0xFF || Data[1] != 0xD8 || Data[2] != 0xFF)
        throw EInvalidGraphic("JPEG error #53");
    QImage Image = DecodeImage(Data, "JPEG", "JPEG error #53");
    D->Image = Image.convertToFormat(QImage::Format_RGB32);
    D->Raw = Data;
    Changed();
}

// ---- TIcon ----

void TIcon::Assign(const TPersistent* Source) {
    if (const auto* I = dynamic_cast<const TIcon*>(Source)) {
        if (I == this) return;
        D->Image = I->D->Image;
        D->Raw = I->D->Raw;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::LoadFromData(const std::vector<Byte>& Data) {
    // An icon directory: reserved 0, type 1, at least one image.
    if (Data.size() < 6 || Data[0] != 0 || Data[1] != 0 || Data[2] != 1 || Data[3] != 0 ||
        (Data[4] == 0 && Data[5] == 0))
        throw EInvalidGraphic("Icon image is not valid");
    QImage Image = DecodeImage(Data, "ICO", "Icon image is not valid");
    D->Image = Image.convertToFormat(QImage::Format_ARGB32);
    D->Raw = Data;
    Changed();
}

}  // namespace carrelon
