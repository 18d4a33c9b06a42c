// TGraphic and TBitmap: a 32-bit image with a canvas.
#include <QFile>

#include "platform/graphics/PicturesQt.h"

namespace carrelon {

void TGraphic::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    Changed();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromStream(TStream& Stream) {
    const Int64 Available = Stream.GetSize() - Stream.GetPosition();
    if (Available <= 0 || static_cast<std::uint64_t>(Available) > MaxGraphicBytes)
        throw EInvalidGraphic("Picture data is not valid");
    Int64 Length = Available;
    // A bitmap file says how long it is; what follows it belongs to someone else.
    if (dynamic_cast<TBitmap*>(this) != nullptr && Available >= 14) {
        Byte Header[6];
        const Int64 Start = Stream.GetPosition();
        Stream.ReadBuffer(Header, 6);
        Stream.SetPosition(Start);
        if (Header[0] == 'B' && Header[1] == 'M') {
            const Int64 FileSize = Header[2] | (Header[3] << 8) | (Header[4] << 16) |
                                   (static_cast<Int64>(Header[5]) << 24);
            if (FileSize < 14 || FileSize > Available)
                throw EInvalidGraphic("Bitmap image is not valid");
            Length = FileSize;
        }
    }
    std::vector<Byte> Data(static_cast<std::size_t>(Length));
    Stream.ReadBuffer(Data.data(), Length);
    LoadFromData(Data);
}

void TGraphic::SaveToStream(TStream& Stream) const {
    const std::vector<Byte> Data = SaveToData();
    if (!Data.empty()) Stream.WriteBuffer(Data.data(), static_cast<Int64>(Data.size()));
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
    LoadFromData(ReadGraphicFile(FileName));
}

void TGraphic::SaveToFile(const AnsiString& FileName) const {
    WriteGraphicFile(FileName, SaveToData());
}

std::vector<Byte> ReadGraphicFile(const AnsiString& FileName) {
    QFile F(QString::fromStdString(FileName));
    if (!F.open(QIODevice::ReadOnly))
        throw EFOpenError("Cannot open file \"" + FileName + "\". " +
                          F.errorString().toStdString());
    if (static_cast<std::uint64_t>(F.size()) > MaxGraphicBytes)
        throw EInvalidGraphic("Picture data is not valid");
    return FromQByteArray(F.readAll());
}

void WriteGraphicFile(const AnsiString& FileName, const std::vector<Byte>& Data) {
    QFile F(QString::fromStdString(FileName));
    if (!F.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFOpenError("Cannot create file \"" + FileName + "\". " +
                          F.errorString().toStdString());
    if (F.write(reinterpret_cast<const char*>(Data.data()), static_cast<qint64>(Data.size())) !=
        static_cast<qint64>(Data.size()))
        throw EWriteError("Stream write error");
}

void DrawImageOn(TCanvas& Canvas, const TRect& Rect, const QImage& Image, TColor Transparent) {
    QPainter* P = CanvasPainter(Canvas);
    if (P == nullptr || Image.isNull() || Rect.IsEmpty()) return;
    if (Transparent < 0) {
        P->drawImage(ToQRect(Rect), Image);
        return;
    }
    QImage Masked = Image.convertToFormat(QImage::Format_ARGB32);
    const QRgb Key = qRgb(GetRValue(Transparent), GetGValue(Transparent), GetBValue(Transparent));
    for (int Y = 0; Y < Masked.height(); ++Y) {
        auto* Line = reinterpret_cast<QRgb*>(Masked.scanLine(Y));
        for (int X = 0; X < Masked.width(); ++X)
            if ((Line[X] & 0xFFFFFF) == (Key & 0xFFFFFF)) Line[X] = 0;
    }
    P->drawImage(ToQRect(Rect), Masked);
}

namespace {

void AttachToImage(TBitmapPrivate& D) {
    if (!D.Canvas) return;
    TCanvasTarget T;
    T.Device = D.Image.isNull() ? nullptr : &D.Image;
    T.Image = D.Image.isNull() ? nullptr : &D.Image;
    T.Bounds = D.Image.rect();
    AttachCanvas(*D.Canvas, T);
}

}  // namespace

TBitmap::TBitmap() : D(std::make_unique<TBitmapPrivate>()) {}

TBitmap::~TBitmap() = default;

const QImage& BitmapImage(const TBitmap& Bitmap) {
    TBitmapPrivate& D = *Bitmap.Private();
    if (D.Canvas) FlushCanvas(*D.Canvas);
    return D.Image;
}

void SetBitmapImage(TBitmap& Bitmap, const QImage& Image) {
    TBitmapPrivate& D = *Bitmap.Private();
    if (D.Canvas) FlushCanvas(*D.Canvas);
    D.Image = Image.isNull() ? QImage() : Image.convertToFormat(QImage::Format_RGB32);
    D.Raw.clear();
    AttachToImage(D);
}

void TBitmap::Assign(const TPersistent* Source) {
    if (const auto* B = dynamic_cast<const TBitmap*>(Source)) {
        if (B == this) return;
        SetBitmapImage(*this, BitmapImage(*B));
        D->Raw = B->D->Raw;
        FPixelFormat = B->FPixelFormat;
        FHandleType = B->FHandleType;
        FTransparentMode = B->FTransparentMode;
        FTransparentColor = B->FTransparentColor;
        FTransparent = B->FTransparent;
        Changed();
        return;
    }
    if (const auto* G = dynamic_cast<const TGraphic*>(Source)) {
        // Any other graphic is rendered onto a white bitmap of its size.
        SetBitmapImage(*this, QImage());
        SetSize(G->GetWidth(), G->GetHeight());
        GetCanvas()->Draw(0, 0, G);
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

int TBitmap::GetWidth() const {
    return D->Image.width();
}

int TBitmap::GetHeight() const {
    return D->Image.height();
}

bool TBitmap::GetEmpty() const {
    return D->Image.isNull();
}

void TBitmap::SetSize(int Width, int Height) {
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    if (Width == GetWidth() && Height == GetHeight()) return;
    if (Width > MaxMadeBitmapSide || Height > MaxMadeBitmapSide ||
        static_cast<std::int64_t>(Width) * Height > MaxBitmapPixels)
        throw EOutOfResources("Not enough storage is available to process this command");
    if (D->Canvas) FlushCanvas(*D->Canvas);
    QImage Grown;
    if (Width > 0 && Height > 0) {
        Grown = QImage(Width, Height, QImage::Format_RGB32);
        if (Grown.isNull())
            throw EOutOfResources("Not enough storage is available to process this command");
        Grown.fill(Qt::white);
        if (!D->Image.isNull()) {
            QPainter P(&Grown);
            P.drawImage(0, 0, D->Image);
        }
    }
    D->Image = Grown;
    D->Raw.clear();
    AttachToImage(*D);
    Changed();
}

TCanvas* TBitmap::GetCanvas() {
    D->Raw.clear();  // whoever takes the canvas may draw: the loaded bytes no longer hold
    if (!D->Canvas) {
        D->Canvas = std::make_unique<TCanvas>();
        AttachToImage(*D);
    }
    return D->Canvas.get();
}

TColor TBitmap::GetTransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    const QImage& Image = BitmapImage(*this);
    if (Image.isNull()) return clDefault;
    return FromQColor(QColor::fromRgb(Image.pixel(0, Image.height() - 1)));
}

void TBitmap::SetTransparentColor(TColor Value) {
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (FTransparentMode == Value) return;
    FTransparentMode = Value;
    if (Value == tmAuto) FTransparentColor = clDefault;
    Changed();
}

void TBitmap::DrawOn(TCanvas& Canvas, const TRect& Rect) const {
    const QImage Image = BitmapImage(*this);  // a copy: Canvas may be this bitmap's own
    DrawImageOn(Canvas, Rect, Image, FTransparent ? ColorToRGB(GetTransparentColor()) : -1);
}

void TBitmap::LoadFromData(const std::vector<Byte>& Data) {
    const char* Format = nullptr;
    if (Data.size() >= 2 && Data[0] == 'B' && Data[1] == 'M')
        Format = "BMP";
    else if (Data.size() >= 8 && Data[0] == 0x89 && Data[1] == 'P' && Data[2] == 'N' &&
             Data[3] == 'G')
        Format = "PNG";
    if (Format == nullptr) throw EInvalidGraphic("Bitmap image is not valid");
    const QImage Image = DecodeImage(Data, Format, "Bitmap image is not valid");
    SetBitmapImage(*this, Image);
    D->Raw = Data;
    Changed();
}

std::vector<Byte> TBitmap::SaveToData() const {
    if (!D->Raw.empty()) return D->Raw;
    const QImage& Image = BitmapImage(*this);
    if (Image.isNull()) return {};
    return EncodeImage(Image.convertToFormat(QImage::Format_RGB888), "BMP");
}

}  // namespace carrelon
