// Recording painters into commands, replaying them, and their checked byte form.
#include "platform/graphics/MetafileRecordingQt.h"

#include <QPaintEngineState>
#include <QPainterPath>
#include <cmath>
#include <cstring>

#include "platform/graphics/PicturesQt.h"

namespace carrelon {

namespace {

enum class Cmd : Byte {
    Pen = 1,
    Brush,
    BrushOrigin,
    Font,
    Background,
    BackgroundMode,
    ClipRegion,
    ClipOff,
    Transform,
    Composition,
    Hints,
    Opacity,
    Rects,
    Lines,
    Points,
    Polygon,
    Path,
    Image,
    Text
};

// Limits on what a byte form may ask for.
constexpr double MaxCoordinate = 1e7;
constexpr double MaxPenWidth = 1e4;
constexpr int MaxFontPixels = 10000;
constexpr std::uint32_t MaxTextBytes = 1u << 20;

}  // namespace

struct TMetaCommand {
    Cmd Kind = Cmd::Pen;
    // Numbers, meaning per kind (see Apply); Shapes for geometry; Text and Image for the rest.
    std::vector<double> Numbers;
    std::vector<QPolygonF> Shapes;
    QString Text;
    QImage Image;
    std::vector<Byte> ImageBytes;  // PNG of Image

    void Apply(QPainter& P) const;
};

namespace {

QColor ColorOf(double Rgba) {
    return QColor::fromRgba(static_cast<QRgb>(static_cast<std::uint32_t>(Rgba)));
}

double RgbaOf(const QColor& C) {
    return static_cast<double>(static_cast<std::uint32_t>(C.rgba()));
}

QRegion RegionOf(const std::vector<QPolygonF>& Shapes) {
    QRegion R;
    for (const QPolygonF& S : Shapes)
        if (S.size() == 2) R += QRectF(S[0], S[1]).toAlignedRect();
    return R;
}

}  // namespace

void TMetaCommand::Apply(QPainter& P) const {
    const auto& N = Numbers;
    switch (Kind) {
        case Cmd::Pen: {
            // colour, width, style, cap, join
            QPen Pen(ColorOf(N[0]), N[1], static_cast<Qt::PenStyle>(N[2]));
            Pen.setCapStyle(static_cast<Qt::PenCapStyle>(N[3]));
            Pen.setJoinStyle(static_cast<Qt::PenJoinStyle>(N[4]));
            P.setPen(Pen);
            break;
        }
        case Cmd::Brush:
            P.setBrush(QBrush(ColorOf(N[0]), static_cast<Qt::BrushStyle>(N[1])));
            break;
        case Cmd::BrushOrigin:
            P.setBrushOrigin(QPointF(N[0], N[1]));
            break;
        case Cmd::Font: {
            // pixel size, weight, italic, underline, strike-out; family in Text
            QFont F(Text);
            F.setPixelSize(static_cast<int>(N[0]));
            F.setWeight(static_cast<QFont::Weight>(N[1]));
            F.setItalic(N[2] != 0);
            F.setUnderline(N[3] != 0);
            F.setStrikeOut(N[4] != 0);
            F.setStyleStrategy(QFont::NoSubpixelAntialias);
            P.setFont(F);
            break;
        }
        case Cmd::Background:
            P.setBackground(QBrush(ColorOf(N[0])));
            break;
        case Cmd::BackgroundMode:
            P.setBackgroundMode(static_cast<Qt::BGMode>(N[0]));
            break;
        case Cmd::ClipRegion:
            P.setClipRegion(RegionOf(Shapes), static_cast<Qt::ClipOperation>(N[0]));
            break;
        case Cmd::ClipOff:
            P.setClipping(false);
            break;
        case Cmd::Transform:
            P.setWorldTransform(QTransform(N[0], N[1], N[2], N[3], N[4], N[5], N[6], N[7], N[8]),
                                N[9] != 0);
            break;
        case Cmd::Composition:
            P.setCompositionMode(static_cast<QPainter::CompositionMode>(N[0]));
            break;
        case Cmd::Hints:
            P.setRenderHints(QPainter::RenderHints::fromInt(static_cast<int>(N[0])), true);
            P.setRenderHints(QPainter::RenderHints::fromInt(~static_cast<int>(N[0]) & 0xFF), false);
            break;
        case Cmd::Opacity:
            P.setOpacity(N[0]);
            break;
        case Cmd::Rects:
            for (const QPolygonF& S : Shapes)
                P.drawRect(QRectF(S[0], S[1]));
            break;
        case Cmd::Lines:
            for (const QPolygonF& S : Shapes)
                P.drawLine(S[0], S[1]);
            break;
        case Cmd::Points:
            for (const QPolygonF& S : Shapes)
                P.drawPoints(S);
            break;
        case Cmd::Polygon: {
            const auto Mode = static_cast<QPaintEngine::PolygonDrawMode>(N[0]);
            for (const QPolygonF& S : Shapes) {
                if (Mode == QPaintEngine::PolylineMode)
                    P.drawPolyline(S);
                else
                    P.drawPolygon(
                        S, Mode == QPaintEngine::WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
            }
            break;
        }
        case Cmd::Path: {
            QPainterPath Path;
            Path.setFillRule(N[0] != 0 ? Qt::WindingFill : Qt::OddEvenFill);
            for (const QPolygonF& S : Shapes)
                Path.addPolygon(S);
            P.drawPath(Path);
            break;
        }
        case Cmd::Image:
            P.drawImage(QRectF(Shapes[0][0], Shapes[0][1]), Image);
            break;
        case Cmd::Text:
            P.drawText(QPointF(N[0], N[1]), Text);
            break;
    }
}

// ---- recording ----

class TMetaEngine : public QPaintEngine {
public:
    TMetaEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& S) override {
        const auto F = S.state();
        if (F & DirtyTransform) {
            const QTransform T = S.transform();
            Add(Cmd::Transform, {T.m11(), T.m12(), T.m13(), T.m21(), T.m22(), T.m23(), T.m31(),
                                 T.m32(), T.m33(), 0});
        }
        if (F & DirtyPen) {
            const QPen P = S.pen();
            Add(Cmd::Pen, {RgbaOf(P.color()), P.widthF(), static_cast<double>(P.style()),
                           static_cast<double>(P.capStyle()), static_cast<double>(P.joinStyle())});
        }
        if (F & DirtyBrush) {
            const QBrush B = S.brush();
            Qt::BrushStyle Style = B.style();
            if (Style > Qt::DiagCrossPattern) Style = Qt::SolidPattern;  // gradients: plain
            Add(Cmd::Brush, {RgbaOf(B.color()), static_cast<double>(Style)});
        }
        if (F & DirtyBrushOrigin) Add(Cmd::BrushOrigin, {S.brushOrigin().x(), S.brushOrigin().y()});
        if (F & DirtyFont) {
            const QFont Font = S.font();
            auto C = std::make_unique<TMetaCommand>();
            C->Kind = Cmd::Font;
            C->Numbers = {static_cast<double>(std::max(Font.pixelSize(), 1)),
                          static_cast<double>(Font.weight()), Font.italic() ? 1.0 : 0.0,
                          Font.underline() ? 1.0 : 0.0, Font.strikeOut() ? 1.0 : 0.0};
            C->Text = Font.family();
            Recording->Commands.push_back(std::move(C));
        }
        if (F & DirtyBackground) Add(Cmd::Background, {RgbaOf(S.backgroundBrush().color())});
        if (F & DirtyBackgroundMode)
            Add(Cmd::BackgroundMode, {static_cast<double>(S.backgroundMode())});
        if (F & (DirtyClipRegion | DirtyClipPath)) {
            QRegion R = (F & DirtyClipRegion) ? S.clipRegion()
                                              : QRegion(S.clipPath().toFillPolygon().toPolygon());
            auto C = std::make_unique<TMetaCommand>();
            C->Kind = Cmd::ClipRegion;
            C->Numbers = {static_cast<double>(S.clipOperation())};
            for (const QRect& Rect : R)
                C->Shapes.push_back(
                    QPolygonF({QPointF(Rect.topLeft()),
                               QPointF(Rect.x() + Rect.width(), Rect.y() + Rect.height())}));
            if (S.clipOperation() == Qt::NoClip) C->Kind = Cmd::ClipOff;
            Recording->Commands.push_back(std::move(C));
        } else if ((F & DirtyClipEnabled) && !S.isClipEnabled()) {
            Add(Cmd::ClipOff, {});
        }
        if (F & DirtyCompositionMode)
            Add(Cmd::Composition, {static_cast<double>(S.compositionMode())});
        if (F & DirtyHints) Add(Cmd::Hints, {static_cast<double>(S.renderHints().toInt() & 0xFF)});
        if (F & DirtyOpacity) Add(Cmd::Opacity, {S.opacity()});
    }

    void drawRects(const QRectF* Rects, int Count) override {
        auto C = Shape(Cmd::Rects);
        for (int i = 0; i < Count; ++i)
            C->Shapes.push_back(QPolygonF({Rects[i].topLeft(), Rects[i].bottomRight()}));
        Recording->Commands.push_back(std::move(C));
    }
    void drawRects(const QRect* Rects, int Count) override {
        auto C = Shape(Cmd::Rects);
        for (int i = 0; i < Count; ++i)
            C->Shapes.push_back(QPolygonF(
                {QPointF(Rects[i].topLeft()),
                 QPointF(Rects[i].x() + Rects[i].width(), Rects[i].y() + Rects[i].height())}));
        Recording->Commands.push_back(std::move(C));
    }
    void drawLines(const QLineF* Lines, int Count) override {
        auto C = Shape(Cmd::Lines);
        for (int i = 0; i < Count; ++i)
            C->Shapes.push_back(QPolygonF({Lines[i].p1(), Lines[i].p2()}));
        Recording->Commands.push_back(std::move(C));
    }
    void drawLines(const QLine* Lines, int Count) override {
        auto C = Shape(Cmd::Lines);
        for (int i = 0; i < Count; ++i)
            C->Shapes.push_back(QPolygonF({QPointF(Lines[i].p1()), QPointF(Lines[i].p2())}));
        Recording->Commands.push_back(std::move(C));
    }
    void drawPoints(const QPointF* Points, int Count) override {
        auto C = Shape(Cmd::Points);
        C->Shapes.push_back(QPolygonF(QList<QPointF>(Points, Points + Count)));
        Recording->Commands.push_back(std::move(C));
    }
    void drawPoints(const QPoint* Points, int Count) override {
        auto C = Shape(Cmd::Points);
        QPolygonF Poly;
        for (int i = 0; i < Count; ++i)
            Poly.append(QPointF(Points[i]));
        C->Shapes.push_back(Poly);
        Recording->Commands.push_back(std::move(C));
    }
    void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override {
        auto C = Shape(Cmd::Polygon);
        C->Numbers = {static_cast<double>(Mode)};
        C->Shapes.push_back(QPolygonF(QList<QPointF>(Points, Points + Count)));
        Recording->Commands.push_back(std::move(C));
    }
    void drawPolygon(const QPoint* Points, int Count, PolygonDrawMode Mode) override {
        QPolygonF Poly;
        for (int i = 0; i < Count; ++i)
            Poly.append(QPointF(Points[i]));
        drawPolygon(Poly.constData(), static_cast<int>(Poly.size()), Mode);
    }
    void drawPath(const QPainterPath& Path) override {
        auto C = Shape(Cmd::Path);
        C->Numbers = {Path.fillRule() == Qt::WindingFill ? 1.0 : 0.0};
        for (const QPolygonF& S : Path.toSubpathPolygons())
            C->Shapes.push_back(S);
        Recording->Commands.push_back(std::move(C));
    }
    void drawPixmap(const QRectF& R, const QPixmap& Pixmap, const QRectF& Source) override {
        drawImage(R, Pixmap.toImage(), Source, Qt::AutoColor);
    }
    void drawImage(const QRectF& R, const QImage& Image, const QRectF& Source,
                   Qt::ImageConversionFlags) override {
        auto C = Shape(Cmd::Image);
        C->Shapes.push_back(QPolygonF({R.topLeft(), R.bottomRight()}));
        C->Image = Image.copy(Source.toAlignedRect()).convertToFormat(QImage::Format_ARGB32);
        Recording->Commands.push_back(std::move(C));
    }
    void drawTextItem(const QPointF& At, const QTextItem& Item) override {
        auto C = Shape(Cmd::Text);
        C->Numbers = {At.x(), At.y()};
        C->Text = Item.text();
        Recording->Commands.push_back(std::move(C));
    }

    std::unique_ptr<TMetaRecording> Recording = std::make_unique<TMetaRecording>();

private:
    static std::unique_ptr<TMetaCommand> Shape(Cmd Kind) {
        auto C = std::make_unique<TMetaCommand>();
        C->Kind = Kind;
        return C;
    }
    void Add(Cmd Kind, std::vector<double> Numbers) {
        auto C = Shape(Kind);
        C->Numbers = std::move(Numbers);
        Recording->Commands.push_back(std::move(C));
    }
};

TMetaRecording::TMetaRecording() = default;
TMetaRecording::~TMetaRecording() = default;

void TMetaRecording::Play(QPainter& Painter) const {
    Painter.save();
    // The recording's transforms and clips are relative to where the painter places it, and
    // never reach outside the painter's own clip.
    const QTransform Base = Painter.worldTransform();
    const bool BaseClipped = Painter.hasClipping();
    const QRegion BaseClip = Painter.clipRegion();
    QTransform Current = Base;
    auto ResetClip = [&] {
        Painter.setWorldTransform(Base);
        if (BaseClipped)
            Painter.setClipRegion(BaseClip);
        else
            Painter.setClipping(false);
        Painter.setWorldTransform(Current);
    };
    for (const auto& C : Commands) {
        const auto& N = C->Numbers;
        if (C->Kind == Cmd::Transform) {
            Current = QTransform(N[0], N[1], N[2], N[3], N[4], N[5], N[6], N[7], N[8]) * Base;
            Painter.setWorldTransform(Current);
        } else if (C->Kind == Cmd::ClipOff) {
            ResetClip();
        } else if (C->Kind == Cmd::ClipRegion) {
            const bool Replace = static_cast<Qt::ClipOperation>(N[0]) == Qt::ReplaceClip;
            if (Replace) ResetClip();
            Painter.setClipRegion(RegionOf(C->Shapes),
                                  Replace && !BaseClipped ? Qt::ReplaceClip : Qt::IntersectClip);
        } else {
            C->Apply(Painter);
        }
    }
    Painter.restore();
}

TMetaDevice::TMetaDevice(int Width, int Height, int DpiX, int DpiY)
    : FWidth(Width),
      FHeight(Height),
      FDpiX(DpiX),
      FDpiY(DpiY),
      Engine(std::make_unique<TMetaEngine>()) {}

TMetaDevice::~TMetaDevice() = default;

QPaintEngine* TMetaDevice::paintEngine() const {
    return Engine.get();
}

std::unique_ptr<TMetaRecording> TMetaDevice::TakeRecording() {
    auto R = std::move(Engine->Recording);
    Engine->Recording = std::make_unique<TMetaRecording>();
    return R;
}

int TMetaDevice::metric(PaintDeviceMetric Metric) const {
    switch (Metric) {
        case PdmWidth:
            return FWidth;
        case PdmHeight:
            return FHeight;
        case PdmWidthMM:
            return FDpiX > 0 ? FWidth * 254 / (FDpiX * 10) : 0;
        case PdmHeightMM:
            return FDpiY > 0 ? FHeight * 254 / (FDpiY * 10) : 0;
        case PdmNumColors:
            return 1 << 24;
        case PdmDepth:
            return 32;
        // Fonts are sized in pixels; logical resolution stays the screen's.
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return ScreenPixelsPerInch;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
    }
}

// ---- byte form ----
//
// count(u32), then per command: kind (u8), numbers (u32 count, f64 each), shapes (u32 count,
// each u32 point count and f64 pairs), text (u32 length, UTF-8), image (u32 length, PNG).

namespace {

void PutU32(std::vector<Byte>& Out, std::uint32_t V) {
    for (int i = 0; i < 4; ++i)
        Out.push_back(static_cast<Byte>(V >> (8 * i)));
}

void PutF64(std::vector<Byte>& Out, double V) {
    std::uint64_t Bits;
    std::memcpy(&Bits, &V, 8);
    for (int i = 0; i < 8; ++i)
        Out.push_back(static_cast<Byte>(Bits >> (8 * i)));
}

class Reader {
public:
    Reader(const Byte* Data, std::size_t Length, const char* Message)
        : P(Data), End(Data + Length), Msg(Message) {}
    void Need(std::size_t N) const {
        if (static_cast<std::size_t>(End - P) < N) Fail();
    }
    [[noreturn]] void Fail() const { throw EInvalidGraphic(Msg); }
    std::size_t Left() const { return static_cast<std::size_t>(End - P); }
    Byte U8() {
        Need(1);
        return *P++;
    }
    std::uint32_t U32() {
        Need(4);
        std::uint32_t V = 0;
        for (int i = 0; i < 4; ++i)
            V |= static_cast<std::uint32_t>(*P++) << (8 * i);
        return V;
    }
    double F64() {
        Need(8);
        std::uint64_t Bits = 0;
        for (int i = 0; i < 8; ++i)
            Bits |= static_cast<std::uint64_t>(*P++) << (8 * i);
        double V;
        std::memcpy(&V, &Bits, 8);
        if (!std::isfinite(V)) Fail();
        return V;
    }
    // A count of items of at least MinSize bytes each that the rest of the data can hold.
    std::uint32_t Count(std::size_t MinSize) {
        const std::uint32_t N = U32();
        if (N > Left() / std::max<std::size_t>(MinSize, 1)) Fail();
        return N;
    }
    const Byte* Take(std::size_t N) {
        Need(N);
        const Byte* At = P;
        P += N;
        return At;
    }

private:
    const Byte* P;
    const Byte* End;
    const char* Msg;
};

// The number of numbers each kind carries and the range each must lie in.
bool NumbersValid(Cmd Kind, const std::vector<double>& N) {
    auto In = [](double V, double Lo, double Hi) { return V >= Lo && V <= Hi; };
    auto Whole = [](double V) { return V == std::floor(V); };
    auto Colour = [&](double V) { return In(V, 0, 4294967295.0) && Whole(V); };
    auto OneOf = [](double V, std::initializer_list<int> Values) {
        for (int E : Values)
            if (V == static_cast<double>(E)) return true;
        return false;
    };
    switch (Kind) {
        case Cmd::Pen:
            return N.size() == 5 && Colour(N[0]) && In(N[1], 0, MaxPenWidth) &&
                   In(N[2], 0, Qt::DashDotDotLine) && Whole(N[2]) &&
                   OneOf(N[3], {Qt::FlatCap, Qt::SquareCap, Qt::RoundCap}) &&
                   OneOf(N[4], {Qt::MiterJoin, Qt::BevelJoin, Qt::RoundJoin, Qt::SvgMiterJoin});
        case Cmd::Brush:
            return N.size() == 2 && Colour(N[0]) && In(N[1], 0, Qt::DiagCrossPattern) &&
                   Whole(N[1]);
        case Cmd::BrushOrigin:
        case Cmd::Text:
            return N.size() == 2 && In(N[0], -MaxCoordinate, MaxCoordinate) &&
                   In(N[1], -MaxCoordinate, MaxCoordinate);
        case Cmd::Font:
            return N.size() == 5 && In(N[0], 1, MaxFontPixels) && Whole(N[0]) &&
                   In(N[1], 1, 1000) && Whole(N[1]) && In(N[2], 0, 1) && In(N[3], 0, 1) &&
                   In(N[4], 0, 1);
        case Cmd::Background:
            return N.size() == 1 && Colour(N[0]);
        case Cmd::BackgroundMode:
            return N.size() == 1 && (N[0] == 0 || N[0] == 1);
        case Cmd::ClipRegion:
            return N.size() == 1 && In(N[0], 1, 2) && Whole(N[0]);
        case Cmd::ClipOff:
            return N.empty();
        case Cmd::Transform: {
            if (N.size() != 10) return false;
            for (double V : N)
                if (!In(V, -MaxCoordinate, MaxCoordinate)) return false;
            return N[9] == 0;
        }
        case Cmd::Composition:
            return N.size() == 1 && In(N[0], 0, QPainter::RasterOp_NotDestination) && Whole(N[0]);
        case Cmd::Hints:
            return N.size() == 1 && In(N[0], 0, 255) && Whole(N[0]);
        case Cmd::Opacity:
            return N.size() == 1 && In(N[0], 0, 1);
        case Cmd::Polygon:
            return N.size() == 1 && In(N[0], 0, 3) && Whole(N[0]);
        case Cmd::Path:
            return N.size() == 1 && In(N[0], 0, 1);
        case Cmd::Rects:
        case Cmd::Lines:
        case Cmd::Points:
        case Cmd::Image:
            return N.empty();
    }
    return false;
}

bool ShapesValid(Cmd Kind, const std::vector<QPolygonF>& S) {
    switch (Kind) {
        case Cmd::Rects:
        case Cmd::Lines:
        case Cmd::ClipRegion:
            for (const QPolygonF& P : S)
                if (P.size() != 2) return false;
            return true;
        case Cmd::Image:
            return S.size() == 1 && S[0].size() == 2;
        case Cmd::Points:
        case Cmd::Polygon:
        case Cmd::Path:
            return true;
        default:
            return S.empty();
    }
}

}  // namespace

void TMetaRecording::Write(std::vector<Byte>& Out) const {
    PutU32(Out, static_cast<std::uint32_t>(Commands.size()));
    for (const auto& C : Commands) {
        Out.push_back(static_cast<Byte>(C->Kind));
        PutU32(Out, static_cast<std::uint32_t>(C->Numbers.size()));
        for (double V : C->Numbers)
            PutF64(Out, V);
        PutU32(Out, static_cast<std::uint32_t>(C->Shapes.size()));
        for (const QPolygonF& S : C->Shapes) {
            PutU32(Out, static_cast<std::uint32_t>(S.size()));
            for (const QPointF& P : S) {
                PutF64(Out, P.x());
                PutF64(Out, P.y());
            }
        }
        const QByteArray Text = C->Text.toUtf8();
        PutU32(Out, static_cast<std::uint32_t>(Text.size()));
        Out.insert(Out.end(), Text.begin(), Text.end());
        std::vector<Byte> Png;
        if (C->Kind == Cmd::Image && !C->Image.isNull()) Png = EncodeImage(C->Image, "PNG");
        PutU32(Out, static_cast<std::uint32_t>(Png.size()));
        Out.insert(Out.end(), Png.begin(), Png.end());
    }
}

std::unique_ptr<TMetaRecording> TMetaRecording::Read(const Byte* Data, std::size_t Length,
                                                     const char* Message) {
    Reader R(Data, Length, Message);
    auto Rec = std::make_unique<TMetaRecording>();
    const std::uint32_t Count = R.Count(17);  // kind and four empty counts
    Rec->Commands.reserve(Count);
    for (std::uint32_t i = 0; i < Count; ++i) {
        auto C = std::make_unique<TMetaCommand>();
        const Byte Kind = R.U8();
        if (Kind < static_cast<Byte>(Cmd::Pen) || Kind > static_cast<Byte>(Cmd::Text)) R.Fail();
        C->Kind = static_cast<Cmd>(Kind);
        const std::uint32_t Numbers = R.Count(8);
        for (std::uint32_t k = 0; k < Numbers; ++k)
            C->Numbers.push_back(R.F64());
        if (!NumbersValid(C->Kind, C->Numbers)) R.Fail();
        const std::uint32_t Shapes = R.Count(4);
        for (std::uint32_t k = 0; k < Shapes; ++k) {
            const std::uint32_t Points = R.Count(16);
            QPolygonF Poly;
            Poly.reserve(Points);
            for (std::uint32_t p = 0; p < Points; ++p) {
                const double X = R.F64(), Y = R.F64();
                if (std::fabs(X) > MaxCoordinate || std::fabs(Y) > MaxCoordinate) R.Fail();
                Poly.append(QPointF(X, Y));
            }
            C->Shapes.push_back(std::move(Poly));
        }
        if (!ShapesValid(C->Kind, C->Shapes)) R.Fail();
        const std::uint32_t TextLength = R.U32();
        if (TextLength > MaxTextBytes) R.Fail();
        const Byte* Text = R.Take(TextLength);
        C->Text = QString::fromUtf8(reinterpret_cast<const char*>(Text), TextLength);
        if (C->Kind == Cmd::Font && C->Text.size() > 256) R.Fail();
        const std::uint32_t ImageLength = R.U32();
        const Byte* Image = R.Take(ImageLength);
        if (C->Kind == Cmd::Image) {
            C->Image = DecodeImage(std::vector<Byte>(Image, Image + ImageLength), "PNG", Message);
        } else if (ImageLength != 0) {
            R.Fail();
        }
        Rec->Commands.push_back(std::move(C));
    }
    if (R.Left() != 0) R.Fail();
    return Rec;
}

}  // namespace carrelon
