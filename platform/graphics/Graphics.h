// Fonts, brushes, pens and the canvas every painter draws on.
//
// A canvas keeps the framework's drawing model (brush fills, pen lines with exclusive end points,
// text drawn from the top-left corner) over a Qt painter held in a private implementation;
// platform code attaches it to an image, a picture, the printer or a widget being painted through
// platform/graphics/CanvasQt.h. A canvas may carry a recorder that logs every operation, which
// tests read to check exact rectangles and texts.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Colors.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

namespace carrelon {

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TFillStyle { fsSurface, fsBorder };

// Pixels per inch of the screen and of every bitmap.
constexpr int ScreenPixelsPerInch = 96;

// Base of TFont, TBrush and TPen: OnChange fires once after each change.
class TGraphicsObject : public TPersistent {
public:
    AnsiString ClassName() const override { return "TGraphicsObject"; }
    TNotifyEvent OnChange;

protected:
    void Changed();
};

class TFont : public TGraphicsObject {
public:
    TFont();
    AnsiString ClassName() const override { return "TFont"; }
    // Copies every attribute; the size is kept in points when the two fonts' PixelsPerInch differ.
    // OnChange fires once.
    void Assign(const TPersistent* Source) override;

    AnsiString GetName() const { return FName; }
    void SetName(const AnsiString& Value);
    // Size in points, computed from Height at PixelsPerInch.
    int GetSize() const;
    void SetSize(int Value);
    // Height in pixels: negative gives the character height, positive the cell height.
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TFontCharset GetCharset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TFontPitch GetPitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    // Changes the resolution the size is measured at, keeping the size in points.
    void SetPixelsPerInch(int Value);
    // Equal for fonts that look the same (name, height, style, charset, pitch; colour aside), so
    // callers can skip re-selecting an identical font.
    std::intptr_t GetHandle() const;

private:
    AnsiString FName = "MS Sans Serif";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch = ScreenPixelsPerInch;
    mutable std::intptr_t FHandle = 0;  // GetHandle's answer until an attribute changes
};

class TBrush : public TGraphicsObject {
public:
    AnsiString ClassName() const override { return "TBrush"; }
    void Assign(const TPersistent* Source) override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class TPen : public TGraphicsObject {
public:
    AnsiString ClassName() const override { return "TPen"; }
    void Assign(const TPersistent* Source) override;
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode Value);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

// One logged drawing operation.
enum class TCanvasOp {
    FillRect,
    FrameRect,
    Rectangle,
    Ellipse,
    Polygon,
    Polyline,
    Line,
    Pixel,
    FloodFill,
    TextOut,
    TextRect,
    DrawText,
    Draw,
    StretchDraw,
    CopyRect,
    DrawEdge,
    DrawFrameControl,
    DrawFocusRect
};

struct TCanvasRecord {
    TCanvasOp Op = TCanvasOp::FillRect;
    TRect Rect{};         // the rectangle drawn into (for lines: the two end points)
    AnsiString Text{};    // text drawn, or the graphic's class name
    unsigned Flags = 0;   // DrawText format, DrawEdge edge/flags, frame control state
    TColor Color = 0;     // brush colour for fills, pen colour for lines, else text colour
    TColor BkColor = 0;   // background colour (OPAQUE text) or the brush colour
    bool Opaque = false;  // text background filled
    AnsiString FontName{};
    int FontHeight = 0;
    TFontStyles FontStyle{};
    std::vector<TPoint> Points{};  // vertices; for DrawText each line's top-left corner
};

// An ordered log of what canvases drew; attach with TCanvas::SetRecorder.
class TCanvasRecorder {
public:
    std::vector<TCanvasRecord> Records;
    void Clear() { Records.clear(); }
    // The records of one kind, in drawing order.
    std::vector<TCanvasRecord> OfKind(TCanvasOp Op) const;
};

class TCanvas;
class TGraphic;
// The device-context handle of the Win32 drawing functions is the canvas itself.
using HDC = TCanvas*;

struct TCanvasPrivate;  // the Qt side, defined in platform/graphics/CanvasQt.h

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    AnsiString ClassName() const override { return "TCanvas"; }

    TFont* GetFont() const { return FFont.get(); }
    void SetFont(const TFont* Value) { FFont->Assign(Value); }
    TBrush* GetBrush() const { return FBrush.get(); }
    void SetBrush(const TBrush* Value) { FBrush->Assign(Value); }
    TPen* GetPen() const { return FPen.get(); }
    void SetPen(const TPen* Value) { FPen->Assign(Value); }

    TPoint GetPenPos() const { return FPenPos; }
    void SetPenPos(TPoint Value) { FPenPos = Value; }
    void MoveTo(int X, int Y) { FPenPos = {X, Y}; }
    // A pen line from PenPos to (X, Y), the end point excluded; PenPos moves there.
    void LineTo(int X, int Y);

    // Fills with the brush (bsClear fills nothing).
    void FillRect(const TRect& Rect);
    // A one-pixel frame in the brush colour along the rectangle's inside edge.
    void FrameRect(const TRect& Rect);
    // Filled with the brush, outlined with the pen; right and bottom exclusive.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);

    // The pixel's plain colour; -1 outside the device or when the device cannot be read.
    TColor GetPixels(int X, int Y) const;
    void SetPixels(int X, int Y, TColor Color);
    // Fills the 4-connected area around (X, Y) with the brush: fsSurface covers the pixels of
    // colour Color, fsBorder every pixel up to a border of colour Color. Needs a readable device.
    void FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle);

    // Text with its top-left corner at (X, Y); PenPos moves to its end.
    void TextOut(int X, int Y, const AnsiString& Text);
    // Fills Rect with the brush (unless bsClear) and draws Text at (X, Y) clipped to Rect.
    void TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text);
    int TextWidth(const AnsiString& Text) const;
    int TextHeight(const AnsiString& Text) const;
    TSize TextExtent(const AnsiString& Text) const;

    // Draws Graphic at its own size, or stretched into Rect; transparent graphics let the
    // canvas show through.
    void Draw(int X, int Y, const TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, const TGraphic* Graphic);
    // Copies Source's SourceRect into Dest, scaling as needed.
    void CopyRect(const TRect& Dest, const TCanvas* Source, const TRect& SourceRect);

    // The bounding box of the drawable area: the device (within the region a paint event
    // repaints), less clip exclusions.
    TRect GetClipRect() const;
    // Removes Rect from the drawable area (until the canvas is attached anew).
    void ExcludeClipRect(const TRect& Rect);
    // Limits drawing to Rect (within the device).
    void IntersectClipRect(const TRect& Rect);

    // Applies pending font and brush changes to the device state (text colour, background
    // colour and mode) and returns the handle of the Win32 drawing functions.
    HDC GetHandle();
    bool HandleAllocated() const;

    // Every drawing operation is appended to Recorder (not owned; nullptr stops recording).
    void SetRecorder(TCanvasRecorder* Recorder) { FRecorder = Recorder; }
    TCanvasRecorder* GetRecorder() const { return FRecorder; }

    // Device state used by the Win32 drawing functions; font and brush changes reset it (the
    // text colour follows the font, background colour and mode follow the brush).
    int GetBkMode();
    void SetBkMode(int Mode);
    TColor GetTextColor();
    void SetTextColor(TColor Color);
    TColor GetBkColor();
    void SetBkColor(TColor Color);

    // Appends a record with the canvas's current font and the given fields.
    void Record(TCanvasRecord Rec) const;

    TCanvasPrivate* Private() const { return D.get(); }

private:
    void RequireState();

    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    TPoint FPenPos;
    TCanvasRecorder* FRecorder = nullptr;
    bool FFontValid = false;
    bool FBrushValid = false;
    int FBkMode = 2;
    TColor FTextColor = clBlack;
    TColor FBkColor = clWhite;
    std::unique_ptr<TCanvasPrivate> D;
};

// Background modes of SetBkMode.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

}  // namespace carrelon
