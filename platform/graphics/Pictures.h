// Pictures: the graphic base class, bitmaps, icons, JPEG images, metafiles and the picture that
// holds any of them.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace carrelon {

CARRELON_EXCEPTION(EInvalidGraphic, Exception);
CARRELON_EXCEPTION(EOutOfResources, Exception);

// Encoded pictures larger than this are refused before decoding.
constexpr std::size_t MaxGraphicBytes = std::size_t{256} << 20;

// Limits for bitmaps: a decoded picture (a file, the clipboard, a stream) has at most
// MaxBitmapSide pixels per side, a bitmap made by SetSize at most MaxMadeBitmapSide (a whole
// grid rendered can be very tall); both at most MaxBitmapPixels pixels of 4 bytes (512 MB).
// Larger sizes raise EOutOfResources (made) or EInvalidGraphic (decoded) instead of
// allocating.
constexpr int MaxBitmapSide = 32767;
constexpr int MaxMadeBitmapSide = 1 << 20;
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

    // The graphic's stream form: the file's bytes (BMP or PNG for a bitmap, JPEG, ICO, and our
    // metafile form). A graphic loaded and not changed saves exactly the bytes it was loaded
    // from. Loading validates the data and its dimensions and raises EInvalidGraphic on bad or
    // oversized data, leaving the graphic as it was.
    virtual void LoadFromData(const std::vector<Byte>& Data) = 0;
    virtual std::vector<Byte> SaveToData() const = 0;
    // Reads the graphic from the stream's position to its end (a bitmap: the length its header
    // gives) / writes its stream form at the position.
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    // File errors raise EFOpenError / EWriteError.
    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName) const;

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
    // Reads BMP or PNG data.
    void LoadFromData(const std::vector<Byte>& Data) override;
    // The loaded bytes while unchanged, else BMP.
    std::vector<Byte> SaveToData() const override;

    TBitmapPrivate* Private() const { return D.get(); }

private:
    std::unique_ptr<TBitmapPrivate> D;
    TPixelFormat FPixelFormat = pfDevice;
    TBitmapHandleType FHandleType = bmDIB;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

struct TImagePrivate;

// Shared base of the graphics that hold a decoded image and their encoded bytes.
class TEncodedImage : public TGraphic {
public:
    TEncodedImage();
    ~TEncodedImage() override;
    int GetWidth() const override;
    int GetHeight() const override;
    // The size of an encoded picture is its own; these do nothing.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    bool GetEmpty() const override;
    void DrawOn(TCanvas& Canvas, const TRect& Rect) const override;
    std::vector<Byte> SaveToData() const override;
    TImagePrivate* Private() const { return D.get(); }

protected:
    std::unique_ptr<TImagePrivate> D;
};

class TJPEGImage : public TEncodedImage {
public:
    AnsiString ClassName() const override { return "TJPEGImage"; }
    // Copies a JPEG image, or compresses a bitmap.
    void Assign(const TPersistent* Source) override;
    void LoadFromData(const std::vector<Byte>& Data) override;
};

// An icon: drawn with its own transparency.
class TIcon : public TEncodedImage {
public:
    TIcon() { FTransparent = true; }
    AnsiString ClassName() const override { return "TIcon"; }
    void Assign(const TPersistent* Source) override;
    void LoadFromData(const std::vector<Byte>& Data) override;
};

struct TMetafilePrivate;

// A recorded drawing, replayed scaled into any rectangle. Width and Height are in pixels of
// the device it was recorded for; MMWidth and MMHeight in 0.01 mm.
class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;
    AnsiString ClassName() const override { return "TMetafile"; }
    void Assign(const TPersistent* Source) override;
    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    int GetMMWidth() const { return FMMWidth; }
    void SetMMWidth(int Value);
    int GetMMHeight() const { return FMMHeight; }
    void SetMMHeight(int Value);
    bool GetEnhanced() const { return FEnhanced; }
    void SetEnhanced(bool Value) { FEnhanced = Value; }
    bool GetEmpty() const override;
    void Clear();
    void DrawOn(TCanvas& Canvas, const TRect& Rect) const override;
    void LoadFromData(const std::vector<Byte>& Data) override;
    std::vector<Byte> SaveToData() const override;
    TMetafilePrivate* Private() const { return D.get(); }

private:
    friend class TMetafileCanvas;
    std::unique_ptr<TMetafilePrivate> D;
    int FWidth = 0;
    int FHeight = 0;
    int FMMWidth = 0;
    int FMMHeight = 0;
    bool FEnhanced = true;
};

struct TMetafileCanvasPrivate;

// Records drawing into Metafile until destroyed. The reference device (e.g. the printer's
// handle; nullptr for the screen) gives the resolution and, for an empty metafile, the size.
// The font keeps measuring in screen points.
class TMetafileCanvas : public TCanvas {
public:
    TMetafileCanvas(TMetafile* Metafile, HDC ReferenceDevice);
    ~TMetafileCanvas() override;
    AnsiString ClassName() const override { return "TMetafileCanvas"; }

private:
    TMetafile* FMetafile;
    std::unique_ptr<TMetafileCanvasPrivate> M;
};

// A new graphic of the named class ("TBitmap", "TJPEGImage", "TIcon", "TMetafile"), or nullptr.
std::unique_ptr<TGraphic> CreateGraphic(const AnsiString& ClassName);
// The graphic class whose stream form Data holds (by its first bytes), or nullptr.
std::unique_ptr<TGraphic> CreateGraphicFor(const std::vector<Byte>& Data);

// Holds at most one graphic of any class, its own copy.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    AnsiString ClassName() const override { return "TPicture"; }
    // A picture or graphic is copied; nullptr empties the picture.
    void Assign(const TPersistent* Source) override;

    TGraphic* GetGraphic() const { return FGraphic.get(); }
    // Keeps a copy of Value (nullptr: none).
    void SetGraphic(const TGraphic* Value);
    // The graphic as a bitmap, icon or metafile; a graphic of another class is replaced by an
    // empty one of the asked class.
    TBitmap* GetBitmap();
    TIcon* GetIcon();
    TMetafile* GetMetafile();
    int GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
    int GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

    // Loads by content (BMP, PNG, JPEG, ICO, metafile); EInvalidGraphic for anything else.
    void LoadFromStream(TStream& Stream);
    void LoadFromFile(const AnsiString& FileName);
    // Writes the graphic's stream form; an empty picture writes nothing.
    void SaveToStream(TStream& Stream) const;
    void SaveToFile(const AnsiString& FileName) const;

    // The component-stream form: the graphic's class name (a length byte and the name; empty
    // for none) followed by a 32-bit length and its stream form.
    void WriteData(TStream& Stream) const;
    // Reads WriteData's form; EInvalidGraphic for an unknown class or bad data (the picture is
    // then unchanged).
    void ReadData(TStream& Stream);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    void Changed();
    template <typename G>
    G* GraphicAs();
    std::unique_ptr<TGraphic> FGraphic;
};

}  // namespace carrelon
