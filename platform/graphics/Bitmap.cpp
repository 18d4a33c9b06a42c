// TGraphic and TBitmap: a 32-bit image with a canvas.
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
    AttachToImage(D);
}

void TBitmap::Assign(const TPersistent* Source) {
    if (const auto* B = dynamic_cast<const TBitmap*>(Source)) {
        if (B == this) return;
        SetBitmapImage(*this, BitmapImage(*B));
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
    if (Width > MaxBitmapSide || Height > MaxBitmapSide ||
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
    AttachToImage(*D);
    Changed();
}

TCanvas* TBitmap::GetCanvas() {
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

}  // namespace carrelon
