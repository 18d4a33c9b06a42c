// The Win32 drawing functions over the canvas.
#include "platform/graphics/WinGdi.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/graphics/CanvasQt.h"

namespace carrelon {

namespace {

void FillPixels(QPainter& P, const QRect& R, TColor Color) {
    if (R.width() > 0 && R.height() > 0) P.fillRect(R, ToQColor(Color));
}

// One ring of an edge: the top and left sides in TopLeft, then bottom and right in BottomRight
// (so the corners shared at top-right and bottom-left take the dark shade).
void DrawRing(QPainter& P, const TRect& R, unsigned Flags, TColor TopLeft, TColor BottomRight) {
    const int W = R.Width(), H = R.Height();
    if (W <= 0 || H <= 0) return;
    if (Flags & BF_LEFT) FillPixels(P, QRect(R.Left, R.Top, 1, H), TopLeft);
    if (Flags & BF_TOP) FillPixels(P, QRect(R.Left, R.Top, W, 1), TopLeft);
    if (Flags & BF_RIGHT) FillPixels(P, QRect(R.Right - 1, R.Top, 1, H), BottomRight);
    if (Flags & BF_BOTTOM) FillPixels(P, QRect(R.Left, R.Bottom - 1, W, 1), BottomRight);
}

// Shrinks R by one pixel on each side named in Flags.
void Shrink(TRect& R, unsigned Flags) {
    if (Flags & BF_LEFT) ++R.Left;
    if (Flags & BF_TOP) ++R.Top;
    if (Flags & BF_RIGHT) --R.Right;
    if (Flags & BF_BOTTOM) --R.Bottom;
}

bool HasRasterOps(QPainter& P) {
    return P.paintEngine() != nullptr && P.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// The edge without logging, for the frame controls that are built from edges.
void PaintEdge(HDC DC, TRect& Rect, unsigned Edge, unsigned Flags) {
    QPainter* P = CanvasPainter(*DC);
    TRect R = Rect;
    const bool Flat = (Flags & (BF_FLAT | BF_MONO)) != 0;
    const unsigned Outer = Edge & BDR_OUTER, Inner = Edge & BDR_INNER;
    if (P != nullptr) {
        if (Outer) {
            TColor TL = (Outer & BDR_RAISEDOUTER) ? cl3DLight : clBtnShadow;
            TColor BR = (Outer & BDR_RAISEDOUTER) ? cl3DDkShadow : clBtnHighlight;
            if (Flat) TL = BR = (Flags & BF_MONO) ? clWindowFrame : clBtnShadow;
            DrawRing(*P, R, Flags, TL, BR);
        }
    }
    if (Outer) Shrink(R, Flags);
    if (P != nullptr && Inner) {
        TColor TL = (Inner & BDR_RAISEDINNER) ? clBtnHighlight : cl3DDkShadow;
        TColor BR = (Inner & BDR_RAISEDINNER) ? clBtnShadow : cl3DLight;
        if (Flat) TL = BR = (Flags & BF_MONO) ? clWindow : clBtnFace;
        DrawRing(*P, R, Flags, TL, BR);
    }
    if (Inner) Shrink(R, Flags);
    if (P != nullptr && (Flags & BF_MIDDLE))
        FillPixels(*P, ToQRect(R), Flat && (Flags & BF_MONO) ? clWindow : clBtnFace);
    if (Flags & BF_ADJUST) Rect = R;
}

void PaintCheckMark(QPainter& P, const TRect& Box, TColor Color) {
    // A 7-by-7 tick centred in the box, three pixels thick.
    const int X0 = Box.Left + (Box.Width() - 7) / 2, Y0 = Box.Top + (Box.Height() - 7) / 2;
    static const int Rise[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        FillPixels(P, QRect(X0 + i, Y0 + Rise[i], 1, 3), Color);
}

void PaintCheckBox(HDC DC, const TRect& Rect, unsigned State) {
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr) return;
    // The box is square, as large as the rectangle allows, centred.
    const int Side = std::min(Rect.Width(), Rect.Height());
    if (Side <= 0) return;
    TRect Box{Rect.Left + (Rect.Width() - Side) / 2, Rect.Top + (Rect.Height() - Side) / 2, 0, 0};
    Box.Right = Box.Left + Side;
    Box.Bottom = Box.Top + Side;
    const bool Flat = (State & (DFCS_FLAT | DFCS_MONO)) != 0;
    TRect Inside = Box;
    PaintEdge(DC, Inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST | (Flat ? BF_FLAT : 0));
    const bool Grey = (State & (DFCS_PUSHED | DFCS_INACTIVE)) != 0 ||
                      ((State & DFCS_BUTTON3STATE) && (State & DFCS_CHECKED));
    FillPixels(*P, ToQRect(Inside), Grey ? clBtnFace : clWindow);
    if (State & DFCS_CHECKED)
        PaintCheckMark(*P, Inside,
                       (State & (DFCS_INACTIVE | DFCS_BUTTON3STATE)) ? clBtnShadow : clWindowText);
}

void PaintRadio(HDC DC, const TRect& Rect, unsigned State) {
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr) return;
    const int Side = std::min(Rect.Width(), Rect.Height());
    if (Side <= 0) return;
    const QRect Box(Rect.Left + (Rect.Width() - Side) / 2, Rect.Top + (Rect.Height() - Side) / 2,
                    Side - 1, Side - 1);
    P->setPen(ToQColor(clBtnShadow));
    P->setBrush(ToQColor((State & (DFCS_PUSHED | DFCS_INACTIVE)) ? clBtnFace : clWindow));
    P->drawEllipse(Box);
    if (State & DFCS_CHECKED) {
        P->setPen(Qt::NoPen);
        P->setBrush(ToQColor((State & DFCS_INACTIVE) ? clBtnShadow : clWindowText));
        P->drawEllipse(Box.adjusted(Side / 3, Side / 3, -Side / 3, -Side / 3));
    }
    P->setBrush(Qt::NoBrush);
}

}  // namespace

bool DrawEdge(HDC DC, TRect& Rect, unsigned Edge, unsigned Flags) {
    if (DC == nullptr) return false;
    DC->Record({.Op = TCanvasOp::DrawEdge, .Rect = Rect, .Flags = (Edge << 16) | (Flags & 0xFFFF)});
    PaintEdge(DC, Rect, Edge, Flags);
    return true;
}

bool DrawFrameControl(HDC DC, TRect& Rect, unsigned Type, unsigned State) {
    if (DC == nullptr || Type != DFC_BUTTON) return false;
    DC->Record({.Op = TCanvasOp::DrawFrameControl, .Rect = Rect, .Flags = State});
    if (State & DFCS_BUTTONPUSH) {
        TRect R = Rect;
        const bool Down = (State & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
        if (State & (DFCS_FLAT | DFCS_MONO)) {
            PaintEdge(DC, R, Down ? BDR_SUNKENOUTER : BDR_RAISEDOUTER,
                      BF_RECT | BF_MIDDLE | BF_ADJUST | BF_FLAT);
        } else if (Down) {
            // A pushed button: a dark frame around a flat shadow.
            PaintEdge(DC, R, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST | BF_FLAT);
            TRect Outer = Rect;
            if (QPainter* P = CanvasPainter(*DC))
                DrawRing(*P, Outer, BF_RECT, cl3DDkShadow, cl3DDkShadow);
        } else {
            PaintEdge(DC, R, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST);
        }
        if (State & DFCS_ADJUSTRECT) Rect = R;
        return true;
    }
    if (State & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE))
        PaintRadio(DC, Rect, State);
    else
        PaintCheckBox(DC, Rect, State);
    return true;
}

bool DrawFocusRect(HDC DC, const TRect& Rect) {
    if (DC == nullptr) return false;
    DC->Record({.Op = TCanvasOp::DrawFocusRect, .Rect = Rect});
    QPainter* P = CanvasPainter(*DC);
    if (P == nullptr || Rect.IsEmpty() || !HasRasterOps(*P)) return true;
    // Every other pixel of the frame, in a pattern fixed to the device so that adjacent
    // frames line up; inverted, so a second drawing undoes the first. Only the pixels on the
    // device are visited: a frame around a huge cell costs what its visible part costs.
    std::int64_t X0 = Rect.Left, X1 = Rect.Right, Y0 = Rect.Top, Y1 = Rect.Bottom;
    const QTransform& T = P->deviceTransform();
    if (P->device() != nullptr && T.type() <= QTransform::TxTranslate) {
        const std::int64_t Dx = std::llround(T.dx()), Dy = std::llround(T.dy());
        X0 = std::max(X0, -Dx - 1);
        Y0 = std::max(Y0, -Dy - 1);
        X1 = std::min(X1, P->device()->width() - Dx + 1);
        Y1 = std::min(Y1, P->device()->height() - Dy + 1);
    }
    const int Top = Rect.Top, Bottom = Rect.Bottom - 1, Left = Rect.Left, Right = Rect.Right - 1;
    QPolygon Dots;
    auto Add = [&](std::int64_t X, std::int64_t Y) {
        if (((X + Y) & 1) == 0) Dots.append(QPoint(static_cast<int>(X), static_cast<int>(Y)));
    };
    for (std::int64_t X = X0; X < X1; ++X) {
        if (Top >= Y0 && Top < Y1) Add(X, Top);
        if (Bottom > Top && Bottom >= Y0 && Bottom < Y1) Add(X, Bottom);
    }
    for (std::int64_t Y = std::max<std::int64_t>(Y0, Top + 1);
         Y < std::min<std::int64_t>(Y1, Bottom); ++Y) {
        if (Left >= X0 && Left < X1) Add(Left, Y);
        if (Right > Left && Right >= X0 && Right < X1) Add(Right, Y);
    }
    P->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    P->setPen(QPen(Qt::white, 0));
    P->drawPoints(Dots);
    P->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

namespace {
int RegionKind(const TCanvas& C) {
    const TRect R = C.GetClipRect();
    if (R.IsEmpty()) return NULLREGION;
    const QRegion* Clip = C.Private()->Clip ? &*C.Private()->Clip : nullptr;
    return Clip != nullptr && Clip->rectCount() > 1 ? COMPLEXREGION : SIMPLEREGION;
}
}  // namespace

int ExcludeClipRect(HDC DC, int Left, int Top, int Right, int Bottom) {
    if (DC == nullptr) return RGN_ERROR;
    DC->ExcludeClipRect({Left, Top, Right, Bottom});
    return RegionKind(*DC);
}

int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom) {
    if (DC == nullptr) return RGN_ERROR;
    DC->IntersectClipRect({Left, Top, Right, Bottom});
    return RegionKind(*DC);
}

int SetBkMode(HDC DC, int Mode) {
    if (DC == nullptr || (Mode != TRANSPARENT && Mode != OPAQUE)) return 0;
    const int Old = DC->GetBkMode();
    DC->SetBkMode(Mode);
    return Old;
}

int GetBkMode(HDC DC) {
    return DC == nullptr ? 0 : DC->GetBkMode();
}

COLORREF SetTextColor(HDC DC, COLORREF Color) {
    if (DC == nullptr) return -1;
    const COLORREF Old = DC->GetTextColor();
    DC->SetTextColor(Color);
    return Old;
}

COLORREF SetBkColor(HDC DC, COLORREF Color) {
    if (DC == nullptr) return -1;
    const COLORREF Old = DC->GetBkColor();
    DC->SetBkColor(Color);
    return Old;
}

bool GetTextMetricsA(HDC DC, TEXTMETRIC* Metrics) {
    if (DC == nullptr || Metrics == nullptr) return false;
    const QFontMetrics M = CanvasFontMetrics(*DC);
    const QFont& F = CanvasQFont(*DC);
    TEXTMETRIC T;
    T.tmHeight = M.height();
    T.tmAscent = M.ascent();
    T.tmDescent = M.descent();
    T.tmInternalLeading = std::max(0, M.height() - F.pixelSize());
    T.tmExternalLeading = M.leading();
    T.tmAveCharWidth = M.averageCharWidth();
    T.tmMaxCharWidth = M.maxWidth();
    T.tmWeight = F.bold() ? 700 : 400;
    T.tmItalic = F.italic() ? 1 : 0;
    T.tmUnderlined = F.underline() ? 1 : 0;
    T.tmStruckOut = F.strikeOut() ? 1 : 0;
    T.tmFirstChar = ' ';
    T.tmLastChar = '~';
    T.tmDefaultChar = '?';
    T.tmBreakChar = ' ';
    T.tmCharSet = DC->GetFont()->GetCharset();
    T.tmPitchAndFamily = DC->GetFont()->GetPitch() == fpFixed ? 0 : 1;
    T.tmDigitizedAspectX = DC->Private()->Target.LogPixelsX;
    T.tmDigitizedAspectY = DC->Private()->Target.LogPixelsY;
    *Metrics = T;
    return true;
}

int GetDeviceCaps(HDC DC, int Index) {
    if (DC == nullptr) return 0;
    const TCanvasTarget& T = DC->Private()->Target;
    const QSize Physical = T.PhysicalSize.isEmpty() ? T.Bounds.size() : T.PhysicalSize;
    auto Millimetres = [](int Pixels, int Dpi) {
        return Dpi > 0 ? static_cast<int>(std::lround(Pixels * 25.4 / Dpi)) : 0;
    };
    switch (Index) {
        case LOGPIXELSX:
            return T.LogPixelsX;
        case LOGPIXELSY:
            return T.LogPixelsY;
        case HORZRES:
            return T.Bounds.width();
        case VERTRES:
            return T.Bounds.height();
        case HORZSIZE:
            return Millimetres(T.Bounds.width(), T.LogPixelsX);
        case VERTSIZE:
            return Millimetres(T.Bounds.height(), T.LogPixelsY);
        case BITSPIXEL:
            return T.BitsPerPixel;
        case PLANES:
            return 1;
        case PHYSICALWIDTH:
            return T.IsPrinter ? Physical.width() : 0;
        case PHYSICALHEIGHT:
            return T.IsPrinter ? Physical.height() : 0;
        case PHYSICALOFFSETX:
            return T.IsPrinter ? T.PhysicalOffset.x() : 0;
        case PHYSICALOFFSETY:
            return T.IsPrinter ? T.PhysicalOffset.y() : 0;
        default:
            return 0;
    }
}

std::unique_ptr<TBitmap> LoadBitmapA(HINSTANCE Instance, int Id) {
    if (Instance != nullptr || Id != OBM_CHECKBOXES) return nullptr;
    constexpr int Side = 13;
    auto Sheet = std::make_unique<TBitmap>();
    Sheet->SetSize(4 * Side, 3 * Side);
    TCanvas* C = Sheet->GetCanvas();
    C->GetBrush()->SetColor(clBtnFace);
    C->FillRect({0, 0, 4 * Side, 3 * Side});
    const unsigned Rows[3][4] = {
        {DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED, DFCS_BUTTONCHECK | DFCS_PUSHED,
         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_PUSHED},
        {DFCS_BUTTONRADIO, DFCS_BUTTONRADIO | DFCS_CHECKED, DFCS_BUTTONRADIO | DFCS_PUSHED,
         DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_PUSHED},
        {DFCS_BUTTON3STATE | DFCS_CHECKED, DFCS_BUTTONCHECK | DFCS_INACTIVE,
         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, DFCS_BUTTON3STATE | DFCS_PUSHED},
    };
    for (int Row = 0; Row < 3; ++Row)
        for (int Col = 0; Col < 4; ++Col) {
            TRect R{Col * Side, Row * Side, (Col + 1) * Side, (Row + 1) * Side};
            DrawFrameControl(C, R, DFC_BUTTON, Rows[Row][Col]);
        }
    return Sheet;
}

HDC GetDC(const void* /*Window*/) {
    static TCanvas* Screen = [] {
        auto* C = new TCanvas();  // lives as long as the program, like the screen
        TCanvasTarget T;
        const QScreen* S = QGuiApplication::primaryScreen();
        T.Bounds = S != nullptr ? S->geometry() : QRect(0, 0, 1024, 768);
        AttachCanvas(*C, T);
        return C;
    }();
    // Each call starts from the device defaults, as a fresh device context does.
    const TFont DefaultFont;
    const TBrush DefaultBrush;
    const TPen DefaultPen;
    Screen->SetFont(&DefaultFont);
    Screen->SetBrush(&DefaultBrush);
    Screen->SetPen(&DefaultPen);
    Screen->SetRecorder(nullptr);
    return Screen;
}

int ReleaseDC(const void* /*Window*/, HDC DC) {
    return DC != nullptr ? 1 : 0;
}

}  // namespace carrelon
