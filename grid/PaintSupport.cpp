// Small drawing helpers of the cell painter.
#include "grid/PaintSupport.h"

#include "platform/graphics/Pictures.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon::paint {

void FrameInward(TCanvas* C, TRect R, TColor Color, int Width) {
    C->GetBrush()->SetColor(Color);
    for (int i = 0; i < Width && !R.IsEmpty(); ++i) {
        C->FrameRect(R);
        R = Inflate(R, -1);
    }
}

void FrameOutward(TCanvas* C, TRect R, TColor Color, int Width) {
    C->GetBrush()->SetColor(Color);
    for (int i = 0; i < Width; ++i) {
        R = Inflate(R, 1);
        C->FrameRect(R);
    }
}

void SelectCellFont(TCanvas* C, const TFont* Font) {
    TFont* Current = C->GetFont();
    if (Current->GetHandle() != Font->GetHandle())
        Current->Assign(Font);
    else if (Current->GetColor() != Font->GetColor())
        Current->SetColor(Font->GetColor());
}

void SetBold(TCanvas* C) {
    TFont* F = C->GetFont();
    if (!F->GetStyle().Contains(fsBold)) F->SetStyle(F->GetStyle() + fsBold);
}

void PrepareHeadingText(TCanvas* C, bool Highlight) {
    if (GetDeviceCaps(C->GetHandle(), BITSPIXEL) < 16) SetBkMode(C->GetHandle(), TRANSPARENT);
    if (Highlight) SetBold(C);
}

void StretchGraphic(TCanvas* C, const TGraphic* G, const TRect& R) {
    if (const auto* Icon = dynamic_cast<const TIcon*>(G)) {
        TBitmap B;
        // Both sides at once: a bitmap with no height yet has no width either.
        B.SetSize(Icon->GetWidth(), Icon->GetHeight());
        B.SetTransparent(true);
        B.GetCanvas()->Draw(0, 0, Icon);
        C->StretchDraw(R, &B);
        return;
    }
    C->StretchDraw(R, G);
}

void DrawHeadingEdges(TCanvas* C, TRect E, int ACol, int ARow, int VertLine, int HorzLine,
                      bool Highlight, bool GrowHighlight) {
    E.Right += VertLine;
    E.Bottom += HorzLine;
    if (Highlight) {
        if (GrowHighlight) {
            E.Left -= 1;
            E.Top -= 1;
        }
        DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        return;
    }
    unsigned Sides = 0;
    if (ACol >= 1) Sides |= BF_LEFT;
    if (ARow >= 1) Sides |= BF_TOP;
    if (ACol == 0 && ARow == 0) Sides = BF_LEFT | BF_TOP;
    DrawEdge(C->GetHandle(), E, BDR_RAISEDINNER, Sides);
}

void DrawFixedCellEdges(TCanvas* C, TRect E, bool FixedVert, bool FixedHorz, int VertLine,
                        int HorzLine, bool Highlight) {
    if (!FixedVert)
        E.Right += VertLine;
    else if (!FixedHorz)
        E.Bottom += HorzLine;
    if (Highlight) {
        E.Left -= 1;
        E.Top -= 1;
        DrawEdge(C->GetHandle(), E, EDGE_RAISED, BF_RECT);
        return;
    }
    unsigned Far = 0;
    if (FixedVert) Far |= BF_RIGHT;
    if (FixedHorz) Far |= BF_BOTTOM;
    DrawEdge(C->GetHandle(), E, BDR_RAISEDINNER, Far);
    unsigned Near = 0;
    if (FixedVert) Near |= BF_LEFT;
    if (FixedHorz) Near |= BF_TOP;
    DrawEdge(C->GetHandle(), E, BDR_RAISEDINNER, Near);
}

}  // namespace carrelon::paint
