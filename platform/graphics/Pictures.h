// Pictures: the graphic base class, bitmaps, icons, JPEG images, metafiles and the picture that
// holds any of them.
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

CARRELON_EXCEPTION(EInvalidGraphic, Exception);
CARRELON_EXCEPTION(EOutOfResources, Exception);

// Limits for bitmaps made or decoded here: larger sizes raise EOutOfResources (made) or
// EInvalidGraphic (decoded) instead of allocating.
constexpr int MaxBitmapSide = 32767;
constexpr std::int64_t MaxBitmapPixels = std::int64_t{1} << 27;

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TGraphic : public TPersistent {
public:
    AnsiString ClassName() const override { return "TGraphic"; }
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool GetEmpty() const = 0;
    bool GetTransparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);

    // Draws the graphic into Rect of Canvas (scaled to it); TCanvas::Draw and StretchDraw call it.
    virtual void DrawOn(TCanvas& Canvas, const TRect& Rect) const = 0;

    TNotifyEvent OnChange;

protected:
    void Changed();
    bool FTransparent = false;
};

struct TBitmapPrivate;

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    AnsiString ClassName() const override { return "TBitmap"; }
    void Assign(const TPersistent* Source) override;

    int GetWidth() const override;
    int GetHeight() const override;
    void SetWidth(int Value) override { SetSize(Value, GetHeight()); }
    void SetHeight(int Value) override { SetSize(GetWidth(), Value); }
    // Keeps the top-left content; new area is white. Raises EOutOfResources beyond the limits.
    void SetSize(int Width, int Height);
    bool GetEmpty() const override;

    // The canvas drawing on the bitmap.
    TCanvas* GetCanvas();

    TPixelFormat GetPixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value) { FPixelFormat = Value; }
    TBitmapHandleType GetHandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType Value) { FHandleType = Value; }
    // The colour drawn as transparent: with tmAuto the bottom-left pixel, with tmFixed the one set.
    TColor GetTransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    void DrawOn(TCanvas& Canvas, const TRect& Rect) const override;

    TBitmapPrivate* Private() const { return D.get(); }

private:
    std::unique_ptr<TBitmapPrivate> D;
    TPixelFormat FPixelFormat = pfDevice;
    TBitmapHandleType FHandleType = bmDIB;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

}  // namespace carrelon
