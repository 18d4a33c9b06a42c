#include "platform/graphics/Image.h"

namespace carrelon {

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(GetLeft(), GetTop(), 105, 105);
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
}

TCanvas* TImage::GetCanvas() {
    if (FPicture->GetGraphic() == nullptr) {
        TBitmap* B = FPicture->GetBitmap();
        B->SetSize(GetWidth(), GetHeight());
    }
    auto* B = dynamic_cast<TBitmap*>(FPicture->GetGraphic());
    if (B == nullptr) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    return B->GetCanvas();
}

void TImage::SetStretch(bool Value) {
    if (FStretch == Value) return;
    FStretch = Value;
    Invalidate();
}

void TImage::SetCenter(bool Value) {
    if (FCenter == Value) return;
    FCenter = Value;
    Invalidate();
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value) PictureChanged();
}

void TImage::PictureChanged() {
    if (FAutoSize && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
        SetBounds(GetLeft(), GetTop(), FPicture->GetWidth(), FPicture->GetHeight());
    Invalidate();
}

TRect TImage::DestRect() const {
    const int W = GetWidth(), H = GetHeight();
    if (FStretch) return {0, 0, W, H};
    const int PW = FPicture->GetWidth(), PH = FPicture->GetHeight();
    if (FCenter) {
        const int L = (W - PW) / 2, T = (H - PH) / 2;
        return {L, T, L + PW, T + PH};
    }
    return {0, 0, PW, PH};
}

void TImage::Paint() {
    const TGraphic* G = FPicture->GetGraphic();
    if (G == nullptr || G->GetEmpty()) return;
    TGraphicControl::GetCanvas()->StretchDraw(DestRect(), G);
}

}  // namespace carrelon
