// TCanvas: the framework's drawing model over a Qt painter.
#include <QPaintEngine>
#include <vector>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

namespace {

// The pixels a canvas draws on and where its point (0, 0) lies in them. A painter tells the
// image it really paints on (a widget's backing store, a bitmap); without one the canvas's own
// image is read. Nothing when the device cannot be read or the painter scales or rotates.
struct PixelSource {
    const QImage* Image = nullptr;
    QPoint Offset;
    QColor At(int X, int Y) const { return Image->pixelColor(X + Offset.x(), Y + Offset.y()); }
    bool Valid(int X, int Y) const { return Image->valid(X + Offset.x(), Y + Offset.y()); }
    // The image's area in canvas coordinates.
    QRect Area() const { return Image->rect().translated(-Offset); }
};

PixelSource ReadablePixels(const TCanvasPrivate& D) {
    QPainter* P = D.Target.Painter;
    if (P == nullptr && D.OwnPainter && D.OwnPainter->isActive()) P = D.OwnPainter.get();
    if (P != nullptr && P->isActive() && P->paintEngine() != nullptr) {
        QPaintDevice* Device = P->paintEngine()->paintDevice();
        const QTransform T = P->deviceTransform();
        if (Device != nullptr && Device->devType() == QInternal::Image &&
            T.type() <= QTransform::TxTranslate)
            return {static_cast<const QImage*>(Device), QPoint(qRound(T.dx()), qRound(T.dy()))};
        return {};
    }
    if (D.Target.Image != nullptr) return {D.Target.Image, QPoint()};
    return {};
}

Qt::BrushStyle ToQBrushStyle(TBrushStyle Style) {
    switch (Style) {
        case bsSolid:
            return Qt::SolidPattern;
        case bsClear:
            return Qt::NoBrush;
        case bsHorizontal:
            return Qt::HorPattern;
        case bsVertical:
            return Qt::VerPattern;
        case bsFDiagonal:
            return Qt::FDiagPattern;
        case bsBDiagonal:
            return Qt::BDiagPattern;
        case bsCross:
            return Qt::CrossPattern;
        case bsDiagCross:
            return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

Qt::PenStyle ToQPenStyle(TPenStyle Style) {
    switch (Style) {
        case psSolid:
        case psInsideFrame:
            return Qt::SolidLine;
        case psDash:
            return Qt::DashLine;
        case psDot:
            return Qt::DotLine;
        case psDashDot:
            return Qt::DashDotLine;
        case psDashDotDot:
            return Qt::DashDotDotLine;
        case psClear:
            return Qt::NoPen;
    }
    return Qt::SolidLine;
}

QBrush BrushOf(const TBrush& B) {
    return QBrush(ToQColor(B.GetColor()), ToQBrushStyle(B.GetStyle()));
}

// Sets the pen, its colour and raster operation on P. Raster operations exist only on pixel
// devices; elsewhere the pen draws as a plain copy.
void ApplyPen(QPainter& P, const TPen& Pen) {
    QColor Color = ToQColor(Pen.GetColor());
    QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
    switch (Pen.GetMode()) {
        case pmBlack:
            Color = Qt::black;
            break;
        case pmWhite:
            Color = Qt::white;
            break;
        case pmXor:
            Mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case pmNot:
            Mode = QPainter::RasterOp_NotDestination;
            break;
        case pmNotXor:
            Mode = QPainter::RasterOp_NotSourceXorDestination;
            break;
        case pmNotCopy:
            Mode = QPainter::RasterOp_NotSource;
            break;
        default:
            break;
    }
    const bool RasterOps =
        P.paintEngine() != nullptr && P.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    P.setCompositionMode(RasterOps ? Mode : QPainter::CompositionMode_SourceOver);
    QPen QP(Color, Pen.GetWidth() <= 1 ? 0 : Pen.GetWidth(), ToQPenStyle(Pen.GetStyle()));
    QP.setCapStyle(Qt::FlatCap);
    QP.setJoinStyle(Qt::MiterJoin);
    P.setPen(QP);
}

void ResetComposition(QPainter& P) {
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// The pixels of a one-pixel line from A to B, B excluded (Bresenham).
QPolygon LinePixels(QPoint A, QPoint B) {
    QPolygon Pts;
    int X = A.x(), Y = A.y();
    const int DX = std::abs(B.x() - X), DY = -std::abs(B.y() - Y);
    const int SX = X < B.x() ? 1 : -1, SY = Y < B.y() ? 1 : -1;
    int Err = DX + DY;
    while (X != B.x() || Y != B.y()) {
        Pts.append(QPoint(X, Y));
        const int E2 = 2 * Err;
        if (E2 >= DY) {
            Err += DY;
            X += SX;
        }
        if (E2 <= DX) {
            Err += DX;
            Y += SY;
        }
    }
    return Pts;
}

QPolygon ToQPolygon(const std::vector<TPoint>& Points) {
    QPolygon Poly;
    Poly.reserve(static_cast<int>(Points.size()));
    for (const TPoint& P : Points)
        Poly.append(QPoint(P.X, P.Y));
    return Poly;
}

}  // namespace

// ---- Qt side ----

QColor ToQColor(TColor Color) {
    const TColor C = ColorToRGB(Color);
    return QColor(GetRValue(C), GetGValue(C), GetBValue(C));
}

TColor FromQColor(const QColor& Color) {
    return RGB(Color.red(), Color.green(), Color.blue());
}

void AttachCanvas(TCanvas& Canvas, const TCanvasTarget& Target) {
    DetachCanvas(Canvas);
    TCanvasPrivate& D = *Canvas.Private();
    D.Target = Target;
    D.LenderClip.reset();
    if (D.Target.Painter != nullptr) {
        D.Target.Painter->save();
        if (D.Target.Painter->hasClipping()) D.LenderClip = D.Target.Painter->clipRegion();
    }
    D.Clip.reset();
    D.ClipApplied = false;
    // The font measures at the device's resolution (the printer's on a printer canvas).
    Canvas.GetFont()->SetPixelsPerInch(Target.FontPixelsPerInch);
}

void DetachCanvas(TCanvas& Canvas) {
    TCanvasPrivate& D = *Canvas.Private();
    FlushCanvas(Canvas);
    if (D.Target.Painter != nullptr) D.Target.Painter->restore();
    D.Target = TCanvasTarget();
    D.Clip.reset();
    D.LenderClip.reset();
    D.ClipApplied = false;
}

void FlushCanvas(TCanvas& Canvas) {
    TCanvasPrivate& D = *Canvas.Private();
    if (D.OwnPainter) {
        if (D.OwnPainter->isActive()) D.OwnPainter->end();
        D.OwnPainter.reset();
        D.ClipApplied = false;
    }
}

QPainter* CanvasPainter(TCanvas& Canvas) {
    TCanvasPrivate& D = *Canvas.Private();
    QPainter* P = D.Target.Painter;
    if (P == nullptr) {
        if (D.Target.Device == nullptr) return nullptr;
        if (!D.OwnPainter) {
            D.OwnPainter = std::make_unique<QPainter>();
            if (!D.OwnPainter->begin(D.Target.Device)) {
                D.OwnPainter.reset();
                return nullptr;
            }
            D.ClipApplied = false;
        }
        P = D.OwnPainter.get();
    }
    if (!D.ClipApplied) {
        // A lent painter's clip (a child's area, a paint event's region) always stays.
        if (D.Clip && D.LenderClip)
            P->setClipRegion(D.Clip->intersected(*D.LenderClip));
        else if (D.Clip)
            P->setClipRegion(*D.Clip);
        else if (D.LenderClip)
            P->setClipRegion(*D.LenderClip);
        else
            P->setClipping(false);
        D.ClipApplied = true;
    }
    P->setRenderHint(QPainter::Antialiasing, false);
    ResetComposition(*P);
    return P;
}

QPaintDevice* CanvasMetricsDevice(const TCanvas& Canvas) {
    const TCanvasPrivate& D = *Canvas.Private();
    if (D.Target.Painter != nullptr && D.Target.Painter->device() != nullptr)
        return D.Target.Painter->device();
    if (D.Target.Device != nullptr) return D.Target.Device;
    if (D.Target.MetricsDevice != nullptr) return D.Target.MetricsDevice;
    static QImage Measuring(1, 1, QImage::Format_ARGB32_Premultiplied);
    return &Measuring;
}

QFontMetrics CanvasFontMetrics(const TCanvas& Canvas) {
    return QFontMetrics(CanvasQFont(Canvas), CanvasMetricsDevice(Canvas));
}

const QFont& CanvasQFont(const TCanvas& Canvas) {
    TCanvasPrivate& D = *Canvas.Private();
    const std::intptr_t Handle = Canvas.GetFont()->GetHandle();
    if (Handle != D.FontHandle) {
        D.QtFont = ToQFont(*Canvas.GetFont());
        D.FontHandle = Handle;
    }
    return D.QtFont;
}

// ---- recorder ----

std::vector<TCanvasRecord> TCanvasRecorder::OfKind(TCanvasOp Op) const {
    std::vector<TCanvasRecord> Result;
    for (const TCanvasRecord& R : Records)
        if (R.Op == Op) Result.push_back(R);
    return Result;
}

// ---- TCanvas ----

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()),
      FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()),
      D(std::make_unique<TCanvasPrivate>()) {
    FFont->OnChange = [this](TObject*) { FFontValid = false; };
    FBrush->OnChange = [this](TObject*) { FBrushValid = false; };
}

TCanvas::~TCanvas() {
    DetachCanvas(*this);
}

void TCanvas::RequireState() {
    if (!FFontValid) {
        FTextColor = ColorToRGB(FFont->GetColor());
        FFontValid = true;
    }
    if (!FBrushValid) {
        FBkColor = ColorToRGB(FBrush->GetColor());
        FBkMode = FBrush->GetStyle() == bsSolid ? OPAQUE : TRANSPARENT;
        FBrushValid = true;
    }
}

HDC TCanvas::GetHandle() {
    RequireState();
    return this;
}

bool TCanvas::HandleAllocated() const {
    return D->Target.Device != nullptr || D->Target.Painter != nullptr;
}

int TCanvas::GetBkMode() {
    RequireState();
    return FBkMode;
}
void TCanvas::SetBkMode(int Mode) {
    RequireState();
    FBkMode = Mode;
}
TColor TCanvas::GetTextColor() {
    RequireState();
    return FTextColor;
}
void TCanvas::SetTextColor(TColor Color) {
    RequireState();
    FTextColor = ColorToRGB(Color);
}
TColor TCanvas::GetBkColor() {
    RequireState();
    return FBkColor;
}
void TCanvas::SetBkColor(TColor Color) {
    RequireState();
    FBkColor = ColorToRGB(Color);
}

void TCanvas::Record(TCanvasRecord Rec) const {
    if (FRecorder == nullptr) return;
    Rec.FontName = FFont->GetName();
    Rec.FontHeight = FFont->GetHeight();
    Rec.FontStyle = FFont->GetStyle();
    FRecorder->Records.push_back(std::move(Rec));
}

void TCanvas::LineTo(int X, int Y) {
    RequireState();
    const TPoint From = FPenPos;
    FPenPos = {X, Y};
    Record({.Op = TCanvasOp::Line, .Rect = {From.X, From.Y, X, Y}, .Color = FPen->GetColor()});
    if (FPen->GetStyle() == psClear) return;
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr) return;
    ApplyPen(*P, *FPen);
    if (FPen->GetWidth() <= 1 && FPen->GetStyle() == psSolid) {
        const QPolygon Pts = LinePixels(QPoint(From.X, From.Y), QPoint(X, Y));
        if (!Pts.isEmpty()) P->drawPoints(Pts);
    } else {
        P->drawLine(From.X, From.Y, X, Y);
    }
    ResetComposition(*P);
}

void TCanvas::FillRect(const TRect& Rect) {
    RequireState();
    if (Rect.IsEmpty()) return;
    Record({.Op = TCanvasOp::FillRect,
            .Rect = Rect,
            .Color = FBrush->GetColor(),
            .BkColor = FBrush->GetColor()});
    if (FBrush->GetStyle() == bsClear) return;
    if (QPainter* P = CanvasPainter(*this)) P->fillRect(ToQRect(Rect), BrushOf(*FBrush));
}

void TCanvas::FrameRect(const TRect& Rect) {
    RequireState();
    if (Rect.IsEmpty()) return;
    Record({.Op = TCanvasOp::FrameRect,
            .Rect = Rect,
            .Color = FBrush->GetColor(),
            .BkColor = FBrush->GetColor()});
    if (FBrush->GetStyle() == bsClear) return;
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr) return;
    const QBrush B = BrushOf(*FBrush);
    const int W = Rect.Width(), H = Rect.Height();
    P->fillRect(QRect(Rect.Left, Rect.Top, W, 1), B);
    if (H > 1) P->fillRect(QRect(Rect.Left, Rect.Bottom - 1, W, 1), B);
    if (H > 2) {
        P->fillRect(QRect(Rect.Left, Rect.Top + 1, 1, H - 2), B);
        if (W > 1) P->fillRect(QRect(Rect.Right - 1, Rect.Top + 1, 1, H - 2), B);
    }
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    RequireState();
    Record({.Op = TCanvasOp::Rectangle,
            .Rect = {X1, Y1, X2, Y2},
            .Color = FPen->GetColor(),
            .BkColor = FBrush->GetColor()});
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr || X2 <= X1 || Y2 <= Y1) return;
    if (FBrush->GetStyle() != bsClear)
        P->fillRect(QRect(X1, Y1, X2 - X1, Y2 - Y1), BrushOf(*FBrush));
    if (FPen->GetStyle() != psClear) {
        ApplyPen(*P, *FPen);
        P->setBrush(Qt::NoBrush);
        P->drawRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
        ResetComposition(*P);
    }
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    RequireState();
    Record({.Op = TCanvasOp::Ellipse,
            .Rect = {X1, Y1, X2, Y2},
            .Color = FPen->GetColor(),
            .BkColor = FBrush->GetColor()});
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr || X2 <= X1 || Y2 <= Y1) return;
    ApplyPen(*P, *FPen);
    P->setBrush(BrushOf(*FBrush));
    P->drawEllipse(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
    ResetComposition(*P);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    RequireState();
    Record({.Op = TCanvasOp::Polygon,
            .Color = FPen->GetColor(),
            .BkColor = FBrush->GetColor(),
            .Points = Points});
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr || Points.empty()) return;
    ApplyPen(*P, *FPen);
    P->setBrush(BrushOf(*FBrush));
    P->drawPolygon(ToQPolygon(Points));
    ResetComposition(*P);
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    RequireState();
    Record({.Op = TCanvasOp::Polyline, .Color = FPen->GetColor(), .Points = Points});
    if (Points.empty()) return;
    // Segment by segment, so every joint is drawn once and the last point is left out.
    MoveTo(Points.front().X, Points.front().Y);
    TCanvasRecorder* Saved = FRecorder;
    FRecorder = nullptr;
    for (std::size_t i = 1; i < Points.size(); ++i)
        LineTo(Points[i].X, Points[i].Y);
    FRecorder = Saved;
}

TColor TCanvas::GetPixels(int X, int Y) const {
    const PixelSource Pixels = ReadablePixels(*D);
    if (Pixels.Image == nullptr || !Pixels.Valid(X, Y)) return -1;
    return FromQColor(Pixels.At(X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
    Record({.Op = TCanvasOp::Pixel, .Rect = {X, Y, X + 1, Y + 1}, .Color = Color});
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr) return;
    P->setCompositionMode(QPainter::CompositionMode_Source);
    P->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
    ResetComposition(*P);
}

void TCanvas::FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle) {
    RequireState();
    Record({.Op = TCanvasOp::FloodFill,
            .Rect = {X, Y, X + 1, Y + 1},
            .Flags = static_cast<unsigned>(FillStyle),
            .Color = Color,
            .BkColor = FBrush->GetColor()});
    QPainter* P = CanvasPainter(*this);
    const PixelSource Pixels = ReadablePixels(*D);
    if (P == nullptr || Pixels.Image == nullptr) return;
    const TRect Clip = GetClipRect();
    const QRect Area = ToQRect(Clip).intersected(Pixels.Area());
    if (!Area.contains(X, Y)) return;

    const TColor Key = ColorToRGB(Color);
    auto Rgb = [&](int PX, int PY) { return FromQColor(Pixels.At(PX, PY)); };
    auto Fillable = [&](int PX, int PY) {
        return FillStyle == fsSurface ? Rgb(PX, PY) == Key : Rgb(PX, PY) != Key;
    };
    if (!Fillable(X, Y)) return;

    // Scan-line fill: each pixel is visited once, spans are painted after the search so the
    // search reads the picture as it was.
    const int W = Area.width(), H = Area.height();
    std::vector<bool> Done(static_cast<std::size_t>(W) * H, false);
    auto Index = [&](int PX, int PY) {
        return static_cast<std::size_t>(PY - Area.top()) * W + (PX - Area.left());
    };
    std::vector<QPoint> Stack{QPoint(X, Y)};
    std::vector<QRect> Spans;
    while (!Stack.empty()) {
        const QPoint S = Stack.back();
        Stack.pop_back();
        if (Done[Index(S.x(), S.y())] || !Fillable(S.x(), S.y())) continue;
        int L = S.x(), R = S.x();
        while (L > Area.left() && !Done[Index(L - 1, S.y())] && Fillable(L - 1, S.y()))
            --L;
        while (R < Area.right() && !Done[Index(R + 1, S.y())] && Fillable(R + 1, S.y()))
            ++R;
        for (int PX = L; PX <= R; ++PX)
            Done[Index(PX, S.y())] = true;
        Spans.emplace_back(L, S.y(), R - L + 1, 1);
        for (int NY : {S.y() - 1, S.y() + 1}) {
            if (NY < Area.top() || NY > Area.bottom()) continue;
            bool InRun = false;
            for (int PX = L; PX <= R; ++PX) {
                const bool Open = !Done[Index(PX, NY)] && Fillable(PX, NY);
                if (Open && !InRun) Stack.emplace_back(PX, NY);
                InRun = Open;
            }
        }
    }
    const QBrush B = BrushOf(*FBrush);
    for (const QRect& Span : Spans)
        P->fillRect(Span, B);
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
    RequireState();
    const QString S = QString::fromStdString(Text);
    const QFontMetrics M = CanvasFontMetrics(*this);
    const int W = M.horizontalAdvance(S);
    Record({.Op = TCanvasOp::TextOut,
            .Rect = {X, Y, X + W, Y + M.height()},
            .Text = Text,
            .Color = FTextColor,
            .BkColor = FBkColor,
            .Opaque = FBkMode == OPAQUE});
    FPenPos = {X + W, Y};
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr) return;
    if (FBkMode == OPAQUE) P->fillRect(QRect(X, Y, W, M.height()), ToQColor(FBkColor));
    P->setFont(CanvasQFont(*this));
    P->setPen(ToQColor(FTextColor));
    P->drawText(QPoint(X, Y + M.ascent()), S);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text) {
    RequireState();
    Record({.Op = TCanvasOp::TextRect,
            .Rect = Rect,
            .Text = Text,
            .Color = FTextColor,
            .BkColor = FBrush->GetColor(),
            .Opaque = FBrush->GetStyle() != bsClear});
    QPainter* P = CanvasPainter(*this);
    if (P == nullptr || Rect.IsEmpty()) return;
    if (FBrush->GetStyle() != bsClear) P->fillRect(ToQRect(Rect), BrushOf(*FBrush));
    // Blanks show nothing: only the fill is drawn (painters that record, like a PDF, would
    // otherwise keep a clip and a text run for every background).
    if (Text.find_first_not_of(' ') == AnsiString::npos) return;
    const QFontMetrics M = CanvasFontMetrics(*this);
    P->save();
    P->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    P->setFont(CanvasQFont(*this));
    P->setPen(ToQColor(FTextColor));
    P->drawText(QPoint(X, Y + M.ascent()), QString::fromStdString(Text));
    P->restore();
}

int TCanvas::TextWidth(const AnsiString& Text) const {
    return TextExtent(Text).cx;
}

int TCanvas::TextHeight(const AnsiString& Text) const {
    return TextExtent(Text).cy;
}

TSize TCanvas::TextExtent(const AnsiString& Text) const {
    const QFontMetrics M = CanvasFontMetrics(*this);
    return {M.horizontalAdvance(QString::fromStdString(Text)), M.height()};
}

void TCanvas::Draw(int X, int Y, const TGraphic* Graphic) {
    if (Graphic == nullptr || Graphic->GetEmpty()) return;
    const TRect R{X, Y, X + Graphic->GetWidth(), Y + Graphic->GetHeight()};
    Record({.Op = TCanvasOp::Draw, .Rect = R, .Text = Graphic->ClassName()});
    Graphic->DrawOn(*this, R);
}

void TCanvas::StretchDraw(const TRect& Rect, const TGraphic* Graphic) {
    if (Graphic == nullptr || Graphic->GetEmpty()) return;
    Record({.Op = TCanvasOp::StretchDraw, .Rect = Rect, .Text = Graphic->ClassName()});
    Graphic->DrawOn(*this, Rect);
}

void TCanvas::CopyRect(const TRect& Dest, const TCanvas* Source, const TRect& SourceRect) {
    Record({.Op = TCanvasOp::CopyRect, .Rect = Dest});
    if (Source == nullptr) return;
    const PixelSource Pixels = ReadablePixels(*Source->D);
    if (Pixels.Image == nullptr) return;
    // Copy first: Source may be this very canvas.
    const QImage Part = Pixels.Image->copy(ToQRect(SourceRect).translated(Pixels.Offset));
    if (QPainter* P = CanvasPainter(*this)) {
        P->setCompositionMode(QPainter::CompositionMode_Source);
        P->drawImage(ToQRect(Dest), Part);
        ResetComposition(*P);
    }
}

TRect TCanvas::GetClipRect() const {
    QRect R = D->Clip ? D->Clip->boundingRect() : D->Target.Bounds;
    // A lent painter's clip (the region a paint event repaints) bounds what can be drawn.
    if (D->LenderClip) R &= D->LenderClip->boundingRect();
    return FromQRect(R);
}

void TCanvas::ExcludeClipRect(const TRect& Rect) {
    const QRegion Base = D->Clip ? *D->Clip : QRegion(D->Target.Bounds);
    D->Clip = Base.subtracted(QRegion(ToQRect(Rect)));
    D->ClipApplied = false;
}

void TCanvas::IntersectClipRect(const TRect& Rect) {
    const QRegion Base = D->Clip ? *D->Clip : QRegion(D->Target.Bounds);
    D->Clip = Base.intersected(QRegion(ToQRect(Rect)));
    D->ClipApplied = false;
}

}  // namespace carrelon
